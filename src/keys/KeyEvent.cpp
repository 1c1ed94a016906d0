#include "keys/KeyEvent.h"

#include "keys/KeyEventDecodingError.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace quillora {

namespace {

using Kind = KeyEventDecodingError::Kind;

QString describeType(const QJsonValue& value)
{
    switch (value.type()) {
    case QJsonValue::Null:
        return QStringLiteral("null");
    case QJsonValue::Bool:
        return QStringLiteral("a boolean");
    case QJsonValue::Double:
        return QStringLiteral("a number");
    case QJsonValue::String:
        return QStringLiteral("a string");
    case QJsonValue::Array:
        return QStringLiteral("an array");
    case QJsonValue::Object:
        return QStringLiteral("an object");
    case QJsonValue::Undefined:
        break;
    }
    return QStringLiteral("nothing");
}

[[noreturn]] void throwTypeMismatch(const QStringList& path, const QString& expected, const QJsonValue& found)
{
    throw KeyEventDecodingError(
        Kind::typeMismatch, path,
        QStringLiteral("Expected to decode %1 but found %2 instead.").arg(expected, describeType(found)));
}

// The required member `name` of `object`, which must be present and not null.
QJsonValue requiredMember(const QJsonObject& object, const QString& name, const QStringList& path)
{
    const auto found = object.constFind(name);
    if (found == object.constEnd()) {
        throw KeyEventDecodingError(Kind::keyNotFound, path,
                                    QStringLiteral("No value associated with key \"%1\".").arg(name));
    }
    if (found->isNull()) {
        throw KeyEventDecodingError(Kind::valueNotFound, path + QStringList{name},
                                    QStringLiteral("Expected a value for \"%1\" but found null instead.").arg(name));
    }
    return *found;
}

template <typename Case> QJsonObject encodeCase(Case value)
{
    return QJsonObject{{caseName(value), QJsonObject()}};
}

// A key or a modifier: an object with exactly one member naming a case, whose value is an object.
// Members that name no case are ignored, so they neither count nor fail on their own.
template <typename Case> Case decodeCase(const QJsonValue& value, const QStringList& path)
{
    if (!value.isObject()) {
        throwTypeMismatch(path, QStringLiteral("an object"), value);
    }
    const QJsonObject object = value.toObject();
    std::optional<Case> decoded;
    QJsonValue payload;
    int recognised = 0;
    for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
        if (const std::optional<Case> candidate = Case::fromCaseName(it.key())) {
            ++recognised;
            decoded = candidate;
            payload = it.value();
        }
    }
    if (recognised != 1) {
        throw KeyEventDecodingError(Kind::typeMismatch, path,
                                    QStringLiteral("Invalid number of keys found, expected one."));
    }
    if (!payload.isObject()) {
        throwTypeMismatch(path + QStringList{caseName(*decoded)}, QStringLiteral("an object"), payload);
    }
    return *decoded;
}

} // namespace

KeyEvent::KeyEvent(Key key)
    : key(key)
{
}

KeyEvent::KeyEvent(Key key, QList<Modifier> modifiers)
    : key(key)
    , modifiers(std::move(modifiers))
{
}

quint64 KeyEvent::flags() const
{
    quint64 flags = 0;
    for (const Modifier modifier : modifiers) {
        flags |= modifier.eventFlag();
    }
    return flags;
}

QJsonObject KeyEvent::toJson() const
{
    QJsonArray encodedModifiers;
    for (const Modifier modifier : modifiers) {
        encodedModifiers.append(encodeCase(modifier));
    }
    return QJsonObject{{QStringLiteral("key"), encodeCase(key)}, {QStringLiteral("modifiers"), encodedModifiers}};
}

QByteArray KeyEvent::encoded() const
{
    return QJsonDocument(toJson()).toJson(QJsonDocument::Compact);
}

KeyEvent KeyEvent::fromJson(const QJsonObject& object)
{
    const QString keyName = QStringLiteral("key");
    const QString modifiersName = QStringLiteral("modifiers");
    const Key key = decodeCase<Key>(requiredMember(object, keyName, {}), {keyName});
    const QJsonValue modifiersValue = requiredMember(object, modifiersName, {});
    if (!modifiersValue.isArray()) {
        throwTypeMismatch({modifiersName}, QStringLiteral("an array"), modifiersValue);
    }
    const QJsonArray array = modifiersValue.toArray();
    QList<Modifier> modifiers;
    modifiers.reserve(array.size());
    for (qsizetype index = 0; index < array.size(); ++index) {
        modifiers.append(decodeCase<Modifier>(array.at(index), {modifiersName, QStringLiteral("Index %1").arg(index)}));
    }
    return KeyEvent(key, std::move(modifiers));
}

KeyEvent KeyEvent::decode(const QByteArray& json)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError) {
        throw KeyEventDecodingError(Kind::dataCorrupted, {},
                                    QStringLiteral("The given data was not valid JSON: %1.").arg(error.errorString()));
    }
    if (!document.isObject()) {
        throw KeyEventDecodingError(
            Kind::typeMismatch, {},
            QStringLiteral("Expected to decode an object but found %1 instead.")
                .arg(document.isArray() ? QStringLiteral("an array") : QStringLiteral("a scalar")));
    }
    return fromJson(document.object());
}

size_t qHash(const KeyEvent& event, size_t seed) noexcept
{
    return qHashMulti(seed, event.key, event.modifiers);
}

} // namespace quillora
