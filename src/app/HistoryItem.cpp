#include "app/HistoryItem.h"

#include "core/Clock.h"
#include "core/JsonCoding.h"
#include "platform/Platform.h"

#include <cmath>

namespace quillora {

HistoryItem::HistoryItem(QString originalText, QList<PolishedResult> polishedResults, std::optional<QString> modelUsed,
                         std::optional<double> responseTime)
    : HistoryItem(QUuid::createUuid(), std::move(originalText), std::move(polishedResults),
                  Platform::current().clock().wallNow(), std::move(modelUsed), responseTime)
{
}

HistoryItem::HistoryItem(QUuid id, QString originalText, QList<PolishedResult> polishedResults, QDateTime timestamp,
                         std::optional<QString> modelUsed, std::optional<double> responseTime)
    : id(id)
    , originalText(std::move(originalText))
    , polishedResults(std::move(polishedResults))
    , timestamp(std::move(timestamp))
    , modelUsed(std::move(modelUsed))
    , responseTime(responseTime)
{
}

QJsonObject HistoryItem::toJson() const
{
    QJsonObject object{{QStringLiteral("id"), JsonCoding::uuidText(id)},
                       {QStringLiteral("originalText"), originalText},
                       {QStringLiteral("polishedResults"), JsonCoding::encodeArray(polishedResults)},
                       {QStringLiteral("timestamp"), JsonCoding::referenceSeconds(timestamp)}};
    if (modelUsed) {
        object.insert(QStringLiteral("modelUsed"), *modelUsed);
    }
    if (responseTime && std::isfinite(*responseTime)) {
        object.insert(QStringLiteral("responseTime"), *responseTime);
    }
    return object;
}

HistoryItem HistoryItem::fromJson(const QJsonValue& json, const QString& path)
{
    // Fields are read one by one, in table order, so that the first bad key is the one reported.
    const JsonCoding::Reader reader(json, path);
    QUuid id = reader.uuid(QStringLiteral("id"));
    QString originalText = reader.string(QStringLiteral("originalText"));
    const QString resultsKey = QStringLiteral("polishedResults");
    QList<PolishedResult> results =
        JsonCoding::decodeArray<PolishedResult>(reader.array(resultsKey), reader.path(resultsKey));
    QDateTime timestamp = reader.date(QStringLiteral("timestamp"));
    std::optional<QString> modelUsed = reader.optionalString(QStringLiteral("modelUsed"));
    const std::optional<double> responseTime = reader.optionalDouble(QStringLiteral("responseTime"));
    return HistoryItem(id, std::move(originalText), std::move(results), std::move(timestamp), std::move(modelUsed),
                       responseTime);
}

} // namespace quillora
