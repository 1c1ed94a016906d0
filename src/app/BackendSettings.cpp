#include "app/BackendSettings.h"

#include "app/BackendClient.h"
#include "app/BackendOrigin.h"
#include "core/Error.h"
#include "platform/UserDefaults.h"

#include <QPointer>

namespace quillora {

const QString BackendSettings::originKey = QStringLiteral("backendURL");

BackendSettings::BackendSettings(UserDefaults& userDefaults, BackendClient& client, QObject* parent)
    : QObject(parent)
    , m_userDefaults(userDefaults)
    , m_client(client)
    , m_origin(startupOrigin(userDefaults))
{
}

QString BackendSettings::startupOrigin(const UserDefaults& userDefaults)
{
    const QString stored = userDefaults.string(originKey).trimmed();
    if (qEnvironmentVariable("QUILLORA_BACKEND_URL").trimmed().isEmpty() && !stored.isEmpty()) {
        return stored;
    }
    return BackendClient::configuredOrigin();
}

std::optional<QString> BackendSettings::setOrigin(const QString& origin)
{
    const QString text = origin.trimmed();
    if (const std::optional<QString> refusal = BackendOrigin::refusal(text)) {
        return refusal;
    }
    m_userDefaults.set(originKey, text);
    m_client.setOrigin(text);
    m_origin = text;
    Q_EMIT changed();
    return std::nullopt;
}

bool BackendSettings::hasSession() const
{
    return m_client.refreshToken().has_value();
}

std::optional<QString> BackendSettings::storeTokens(const QString& accessToken, const QString& refreshToken)
{
    const QString access = accessToken.trimmed();
    const QString refresh = refreshToken.trimmed();
    if (access.isEmpty() || refresh.isEmpty()) {
        return QStringLiteral("Enter both the access token and the refresh token.");
    }
    m_client.storeTokens(access, refresh);
    Q_EMIT changed();
    return std::nullopt;
}

void BackendSettings::signOut()
{
    m_client.removeTokens();
    Q_EMIT changed();
}

QCoro::Task<QString> BackendSettings::checkConnection()
{
    const QString origin = m_origin;
    try {
        const BackendResponse response = co_await m_client.request(QStringLiteral("/health"), QStringLiteral("GET"));
        if (response.status() == 200) {
            co_return QStringLiteral("Connected to %1.").arg(origin);
        }
        co_return QStringLiteral("%1 answered with status %2.").arg(origin).arg(response.status());
    } catch (...) {
        const ErrorPtr error = errorFromException(std::current_exception());
        co_return QStringLiteral("Could not reach %1: %2")
            .arg(origin, error ? error->localizedDescription() : QStringLiteral("unknown error"));
    }
}

} // namespace quillora
