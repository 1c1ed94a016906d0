#include "app/BackendPreset.h"

#include "core/JsonCoding.h"

namespace quillora {

PolishPreset BackendPreset::toPreset() const
{
    return PolishPreset(id, name, instruction);
}

BackendPreset BackendPreset::fromJson(const QJsonValue& json, const QString& path)
{
    const JsonCoding::Reader reader(json, path);
    const QJsonValue id = json.toObject().value(QStringLiteral("id"));
    if (id.isUndefined()) {
        throw JsonDecodingError(JsonDecodingError::Kind::keyNotFound, reader.path(QStringLiteral("id")),
                                QStringLiteral("missing key"));
    }
    if (id.isNull()) {
        throw JsonDecodingError(JsonDecodingError::Kind::valueNotFound, reader.path(QStringLiteral("id")),
                                QStringLiteral("null in place of a value"));
    }
    return BackendPreset{*reader.optionalInteger(QStringLiteral("id")), reader.string(QStringLiteral("name")),
                         reader.string(QStringLiteral("instruction"))};
}

BackendPreset BackendPreset::decode(const QByteArray& body)
{
    return fromJson(JsonCoding::parse(body));
}

QList<BackendPreset> BackendPreset::decodeList(const QByteArray& body)
{
    return JsonCoding::decodeArray<BackendPreset>(JsonCoding::parse(body));
}

} // namespace quillora
