#include "server/TokenService.h"

#include "core/Clock.h"
#include "server/Store.h"

#include <QCryptographicHash>
#include <QRandomGenerator>

#include <array>

namespace quillora {

namespace {

QString randomToken(const char* prefix)
{
    std::array<quint32, 8> words{};
    QRandomGenerator::system()->fillRange(words.data(), words.size());
    const QByteArray bytes(reinterpret_cast<const char*>(words.data()), sizeof(words));
    return QLatin1String(prefix) +
           QString::fromLatin1(bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

QByteArray hashOf(const QString& token)
{
    return QCryptographicHash::hash(token.toUtf8(), QCryptographicHash::Sha256);
}

} // namespace

TokenService::TokenService(Store& store, Clock& clock, TokenLifetimes lifetimes)
    : m_store(store)
    , m_clock(clock)
    , m_lifetimes(lifetimes)
{
}

qint64 TokenService::now() const
{
    return m_clock.wallNow().toSecsSinceEpoch();
}

TokenPair TokenService::issue(qint64 userId)
{
    const qint64 issuedAt = now();
    TokenPair pair{randomToken("qat_"), randomToken("qrt_")};
    m_store.createSession(userId, {hashOf(pair.accessToken), issuedAt + m_lifetimes.access},
                          {hashOf(pair.refreshToken), issuedAt + m_lifetimes.refresh}, issuedAt);
    return pair;
}

std::optional<qint64> TokenService::authenticate(const QString& accessToken)
{
    if (accessToken.isEmpty()) {
        return std::nullopt;
    }
    return m_store.userForAccessToken(hashOf(accessToken), now());
}

TokenService::Refreshed TokenService::refresh(const QString& refreshToken)
{
    const qint64 issuedAt = now();
    TokenPair pair{randomToken("qat_"), randomToken("qrt_")};
    const RefreshOutcome outcome =
        m_store.rotateRefreshToken(hashOf(refreshToken), {hashOf(pair.accessToken), issuedAt + m_lifetimes.access},
                                   {hashOf(pair.refreshToken), issuedAt + m_lifetimes.refresh}, issuedAt);
    if (outcome != RefreshOutcome::Rotated) {
        return {outcome, {}};
    }
    return {outcome, pair};
}

void TokenService::purgeExpired()
{
    m_store.purgeExpiredTokens(now());
}

} // namespace quillora
