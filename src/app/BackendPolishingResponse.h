#pragma once

#include <QList>
#include <QPair>
#include <QString>

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

    /**
     * Decodes {"log_id": integer or absent or null, "results": {text: text}, "model": text,
     * "duration": number}; other keys are ignored. Throws `JsonDecodingError` when the body is not
     * JSON or a required key is missing or of the wrong type.
     */
    [[nodiscard]] static BackendPolishingResponse decode(const QByteArray& body);
};

/** The error body of the polish endpoint: {"error": text}. */
struct BackendError
{
    QString error;

    /** Decodes the body. Throws `JsonDecodingError` when it is not JSON or "error" is not text. */
    [[nodiscard]] static BackendError decode(const QByteArray& body);
};

} // namespace quillora
