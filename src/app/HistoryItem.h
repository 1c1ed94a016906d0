#pragma once

#include "app/PolishedResult.h"

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QUuid>

#include <optional>

class QJsonValue;

namespace quillora {

/**
 * One completed polishing as the history keeps it: the original text, its variations in the order
 * they were shown, when it happened and what the backend reported. Identified by `id` only; it has
 * no equality.
 */
struct HistoryItem
{
    /**
     * An item with a fresh random `id`, stamped with the platform clock's current wall time. Needs
     * an installed platform.
     */
    HistoryItem(QString originalText, QList<PolishedResult> polishedResults,
                std::optional<QString> modelUsed = std::nullopt, std::optional<double> responseTime = std::nullopt);

    /** An item with every field given, as decoded. */
    HistoryItem(QUuid id, QString originalText, QList<PolishedResult> polishedResults, QDateTime timestamp,
                std::optional<QString> modelUsed, std::optional<double> responseTime);

    /**
     * The JSON object with the keys "id", "originalText", "polishedResults", "timestamp" (seconds
     * since 2001-01-01 UTC) and, only when present, "modelUsed" and "responseTime". A response time
     * that is not a finite number has no JSON form and is left out.
     */
    [[nodiscard]] QJsonObject toJson() const;

    /**
     * Decodes one item object found at `path`, its results included. Throws `JsonDecodingError`
     * when a required key is missing, any key holds the wrong type, or any result fails.
     */
    [[nodiscard]] static HistoryItem fromJson(const QJsonValue& json, const QString& path = {});

    QUuid id;
    QString originalText;
    QList<PolishedResult> polishedResults;
    QDateTime timestamp;
    std::optional<QString> modelUsed;
    std::optional<double> responseTime;
};

} // namespace quillora
