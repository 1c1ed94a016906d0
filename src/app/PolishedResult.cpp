#include "app/PolishedResult.h"

#include "core/JsonCoding.h"

#include <QHashFunctions>

namespace quillora {

PolishedResult::PolishedResult(QString presetName, QString content, std::optional<qint64> logId)
    : PolishedResult(QUuid::createUuid(), std::move(presetName), std::move(content), logId)
{
}

PolishedResult::PolishedResult(QUuid id, QString presetName, QString content, std::optional<qint64> logId)
    : id(id)
    , presetName(std::move(presetName))
    , content(std::move(content))
    , logId(logId)
{
}

QJsonObject PolishedResult::toJson() const
{
    QJsonObject object{{QStringLiteral("id"), JsonCoding::uuidText(id)},
                       {QStringLiteral("presetName"), presetName},
                       {QStringLiteral("content"), content}};
    if (logId) {
        object.insert(QStringLiteral("logId"), *logId);
    }
    if (correctionsOnly) {
        object.insert(QStringLiteral("correctionsOnly"), true);
    }
    if (note) {
        object.insert(QStringLiteral("note"), *note);
    }
    return object;
}

PolishedResult PolishedResult::fromJson(const QJsonValue& json, const QString& path)
{
    // Fields are read one by one, in table order, so that the first bad key is the one reported.
    const JsonCoding::Reader reader(json, path);
    const QUuid id = reader.uuid(QStringLiteral("id"));
    QString presetName = reader.string(QStringLiteral("presetName"));
    QString content = reader.string(QStringLiteral("content"));
    const std::optional<qint64> logId = reader.optionalInteger(QStringLiteral("logId"));
    PolishedResult result(id, std::move(presetName), std::move(content), logId);
    // Display marks of newer versions; an entry written without them has none.
    const QJsonValue correctionsOnly = json.toObject().value(QStringLiteral("correctionsOnly"));
    result.correctionsOnly = correctionsOnly.isBool() && correctionsOnly.toBool();
    result.note = reader.optionalString(QStringLiteral("note"));
    return result;
}

size_t qHash(const PolishedResult& result, size_t seed) noexcept
{
    // The presence flag keeps an absent log identifier apart from every present value, 0 included.
    const size_t marks =
        qHashMulti(seed, result.correctionsOnly, result.note.value_or(QString()), result.note.has_value());
    return result.logId ? qHashMulti(marks, result.id, result.presetName, result.content, true, *result.logId)
                        : qHashMulti(marks, result.id, result.presetName, result.content, false);
}

} // namespace quillora
