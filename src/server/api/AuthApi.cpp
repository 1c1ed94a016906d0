#include "server/api/AuthApi.h"

#include "server/api/ApiError.h"
#include "server/api/JsonRequest.h"
#include "server/api/TokenService.h"

#include <QJsonObject>

namespace quillora {

AuthApi::AuthApi(TokenService& tokens)
    : m_tokens(tokens)
{
}

QCoro::Task<ApiResponse> AuthApi::refresh(QByteArray body)
{
    const QString refreshToken = JsonRequest::string(JsonRequest::object(body), QStringLiteral("refresh_token"));
    const TokenService::Refreshed refreshed = co_await m_tokens.refresh(refreshToken);
    switch (refreshed.outcome) {
    case RefreshOutcome::Rotated:
        co_return ApiResponse::json(200, QJsonObject{{QStringLiteral("access_token"), refreshed.pair.accessToken},
                                                     {QStringLiteral("refresh_token"), refreshed.pair.refreshToken},
                                                     {QStringLiteral("token_type"), QStringLiteral("Bearer")},
                                                     {QStringLiteral("expires_in"), m_tokens.lifetimes().access}});
    case RefreshOutcome::Reused:
        throw ApiError(401, QStringLiteral("This refresh token was already used, so its session has been ended. "
                                           "Sign in again."));
    case RefreshOutcome::Expired:
        throw ApiError(401, QStringLiteral("The refresh token has expired. Sign in again."));
    case RefreshOutcome::Unknown:
        break;
    }
    throw ApiError(401, QStringLiteral("The refresh token is not valid. Sign in again."));
}

} // namespace quillora
