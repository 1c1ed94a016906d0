#pragma once

#include <QJsonObject>
#include <QString>
#include <QUuid>

#include <functional>
#include <optional>

class QJsonValue;

namespace quillora {

/**
 * One polished variation of a selected text, produced by one preset. Equal only when all four
 * fields are equal, `id` included.
 */
struct PolishedResult
{
    /** A result with a fresh random `id`. */
    PolishedResult(QString presetName, QString content, std::optional<qint64> logId = std::nullopt);

    /** A result with the given identity, as decoded. */
    PolishedResult(QUuid id, QString presetName, QString content, std::optional<qint64> logId);

    /** The JSON object with the keys "id", "presetName", "content" and "logId" (only when present). */
    [[nodiscard]] QJsonObject toJson() const;

    /**
     * Decodes one result object found at `path`. Throws `JsonDecodingError` when "id", "presetName"
     * or "content" is missing, or any key holds the wrong type.
     */
    [[nodiscard]] static PolishedResult fromJson(const QJsonValue& json, const QString& path = {});

    friend bool operator==(const PolishedResult&, const PolishedResult&) = default;

    QUuid id;
    QString presetName;
    QString content;
    std::optional<qint64> logId;
};

/** Combines all four fields; an absent `logId` hashes apart from every present one. */
[[nodiscard]] size_t qHash(const PolishedResult& result, size_t seed = 0) noexcept;

} // namespace quillora

template <> struct std::hash<quillora::PolishedResult>
{
    size_t operator()(const quillora::PolishedResult& result) const noexcept { return quillora::qHash(result); }
};
