#pragma once

#include <QString>

class QByteArray;

namespace quillora {

/** The token pair the refresh endpoint returns. */
struct LoginResponse
{
    QString accessToken;
    QString refreshToken;

    /**
     * Decodes {"access_token": text, "refresh_token": text}; other keys are ignored. Throws
     * `JsonDecodingError` when the body is not JSON, or either key is missing or not text.
     */
    [[nodiscard]] static LoginResponse decode(const QByteArray& body);
};

} // namespace quillora
