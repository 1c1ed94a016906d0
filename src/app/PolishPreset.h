#pragma once

#include <QJsonObject>
#include <QString>
#include <QUuid>

#include <functional>
#include <optional>

class QJsonValue;

namespace quillora {

/**
 * One polishing preset: the name shown to the user and the instruction the backend applies. Equal
 * only when all four fields are equal, `id` included.
 */
struct PolishPreset
{
    /** A preset with a fresh random `id`. */
    PolishPreset(std::optional<qint64> backendId, QString name, QString instruction);

    /** A preset with the given identity, as decoded. */
    PolishPreset(QUuid id, std::optional<qint64> backendId, QString name, QString instruction);

    /** The JSON object with the keys "id", "backendId" (only when present), "name" and "instruction". */
    [[nodiscard]] QJsonObject toJson() const;

    /**
     * Decodes one preset object found at `path`. Throws `JsonDecodingError` when "id", "name" or
     * "instruction" is missing, or any key holds the wrong type.
     */
    [[nodiscard]] static PolishPreset fromJson(const QJsonValue& json, const QString& path = {});

    friend bool operator==(const PolishPreset&, const PolishPreset&) = default;

    QUuid id;
    std::optional<qint64> backendId;
    QString name;
    QString instruction;
};

/** Combines all four fields; an absent `backendId` hashes apart from every present one. */
[[nodiscard]] size_t qHash(const PolishPreset& preset, size_t seed = 0) noexcept;

} // namespace quillora

template <> struct std::hash<quillora::PolishPreset>
{
    size_t operator()(const quillora::PolishPreset& preset) const noexcept { return quillora::qHash(preset); }
};
