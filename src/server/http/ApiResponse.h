#pragma once

#include <QByteArray>
#include <QJsonValue>
#include <QString>

namespace quillora {

/** What the service answers to one request: a status and a JSON body (none for 204). */
struct ApiResponse
{
    int status = 200;
    QByteArray body;
    /** The methods a path accepts, sent as "Allow" with a 405. */
    QByteArray allow;
    /** Sent as "Content-Type"; empty means JSON. */
    QByteArray contentType;
    /** Seconds sent as "Retry-After" when positive. */
    qint64 retryAfter = 0;

    /** `value` (an object or an array) as compact JSON. */
    [[nodiscard]] static ApiResponse json(int status, const QJsonValue& value);

    /** The error body {"error": message}. */
    [[nodiscard]] static ApiResponse error(int status, const QString& message);

    /** 204 without a body. */
    [[nodiscard]] static ApiResponse noContent();
};

} // namespace quillora
