#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <optional>

class QByteArray;

namespace quillora {

/** The success body of the polish endpoint. */
struct BackendPolishingResponse
{
    /** The backend's identifier of this polishing, for the interaction log. */
    std::optional<qint64> logId;
    /** Preset name to polished text, in the order the decoder visits the keys. */
    QList<QPair<QString, QString>> results;
    QString model;
    /** The backend's processing time in seconds. */
    double duration = 0;
    /** False when the service's engine cannot follow a preset's free-form instruction. */
    bool followsInstructions = true;
    /** Presets whose variation holds corrections only, as the service named them. */
    QStringList correctionsOnly;
    /** A quiet note about the whole answer. */
    std::optional<QString> note;
    /** Presets whose variation was longer than `PolishLimits::variationBound` allows and was dropped. */
    QStringList tooLong;

    /**
     * Decodes {"log_id": integer or absent or null, "results": {text: text}, "model": text,
     * "duration": number} with the optional "follows_instructions" (boolean), "corrections_only"
     * (array of text) and "note" (text); other keys are ignored. A variation longer than the
     * bound for a text of `textLength` characters is left out of `results` and named in
     * `tooLong`, so that it counts as a failed preset. Throws `JsonDecodingError` when the body is
     * not JSON or a required key is missing or of the wrong type.
     */
    [[nodiscard]] static BackendPolishingResponse decode(const QByteArray& body,
                                                         std::optional<qsizetype> textLength = std::nullopt);
};

/** The error body of the polish endpoint: {"error": text}. */
struct BackendError
{
    QString error;

    /** Decodes the body. Throws `JsonDecodingError` when it is not JSON or "error" is not text. */
    [[nodiscard]] static BackendError decode(const QByteArray& body);
};

} // namespace quillora
