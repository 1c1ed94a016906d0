#pragma once

#include <QJsonObject>
#include <QString>
#include <QUuid>

#include <functional>
#include <optional>

class QJsonValue;

namespace quillora {

/**
 * One polished variation of a selected text, produced by one preset. Equal only when all fields
 * are equal, `id` included.
 */
struct PolishedResult
{
    /** A result with a fresh random `id`. */
    PolishedResult(QString presetName, QString content, std::optional<qint64> logId = std::nullopt);

    /** A result with the given identity, as decoded. */
    PolishedResult(QUuid id, QString presetName, QString content, std::optional<qint64> logId);

    /**
     * The JSON object with the keys "id", "presetName", "content", and only when present or set
     * "logId", "correctionsOnly" and "note".
     */
    [[nodiscard]] QJsonObject toJson() const;

    /** How a corrections-only variation is marked wherever it is shown. */
    static constexpr auto correctionsOnlyText = "corrections only: this preset needs a language model";

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
    /**
     * The variation holds corrections only: the service's engine cannot follow this preset's
     * instruction (it needs a language model).
     */
    bool correctionsOnly = false;
    /** The service's quiet note about the whole answer, when it gave one. */
    std::optional<QString> note;
};

/** Combines all fields; an absent `logId` hashes apart from every present one. */
[[nodiscard]] size_t qHash(const PolishedResult& result, size_t seed = 0) noexcept;

} // namespace quillora

template <> struct std::hash<quillora::PolishedResult>
{
    size_t operator()(const quillora::PolishedResult& result) const noexcept { return quillora::qHash(result); }
};
