#pragma once

#include "server/http/ApiResponse.h"

#include <qcoro/qcorotask.h>

namespace quillora {

class TokenService;

/** "/auth/refresh". Failures are thrown as `ApiError`; storage failures as `ServerError`. */
class AuthApi final
{
public:
    explicit AuthApi(TokenService& tokens);

    /**
     * POST {"refresh_token"}: 200 with {"access_token", "refresh_token", "token_type",
     * "expires_in"}; 401 when the token is unknown, expired or already used (a reuse also ends
     * the token's session).
     */
    [[nodiscard]] QCoro::Task<ApiResponse> refresh(QByteArray body);

private:
    TokenService& m_tokens;
};

} // namespace quillora
