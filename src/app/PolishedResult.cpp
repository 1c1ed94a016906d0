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
    return PolishedResult(id, std::move(presetName), std::move(content), logId);
}

size_t qHash(const PolishedResult& result, size_t seed) noexcept
{
    // The presence flag keeps an absent log identifier apart from every present value, 0 included.
    return result.logId ? qHashMulti(seed, result.id, result.presetName, result.content, true, *result.logId)
                        : qHashMulti(seed, result.id, result.presetName, result.content, false);
}

} // namespace quillora
