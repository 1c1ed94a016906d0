#include "server/api/TokenService.h"

#include "core/Clock.h"
#include "server/store/Store.h"
#include "server/store/StorePool.h"

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

TokenService::TokenService(StorePool& pool, Clock& clock, TokenLifetimes lifetimes)
    : m_pool(pool)
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
    const TokenRecord access{hashOf(pair.accessToken), issuedAt + m_lifetimes.access};
    const TokenRecord refresh{hashOf(pair.refreshToken), issuedAt + m_lifetimes.refresh};
    m_pool.runBlocking(
        [userId, access, refresh, issuedAt](Store& store) { store.createSession(userId, access, refresh, issuedAt); });
    return pair;
}

QCoro::Task<std::optional<qint64>> TokenService::authenticate(QString accessToken)
{
    if (accessToken.isEmpty()) {
        co_return std::nullopt;
    }
    const QByteArray hash = hashOf(accessToken);
    const qint64 at = now();
    const auto find = [hash, at](Store& store) { return store.userForAccessToken(hash, at); };
    co_return co_await m_pool.run(find);
}

QCoro::Task<TokenService::Refreshed> TokenService::refresh(QString refreshToken)
{
    const qint64 issuedAt = now();
    TokenPair pair{randomToken("qat_"), randomToken("qrt_")};
    const QByteArray spent = hashOf(refreshToken);
    const TokenRecord access{hashOf(pair.accessToken), issuedAt + m_lifetimes.access};
    const TokenRecord refresh{hashOf(pair.refreshToken), issuedAt + m_lifetimes.refresh};
    const auto rotate = [spent, access, refresh, issuedAt](Store& store) {
        return store.rotateRefreshToken(spent, access, refresh, issuedAt);
    };
    const RefreshOutcome outcome = co_await m_pool.run(rotate);
    if (outcome != RefreshOutcome::Rotated) {
        co_return Refreshed{outcome, {}};
    }
    co_return Refreshed{outcome, pair};
}

QCoro::Task<> TokenService::purgeExpired()
{
    const qint64 at = now();
    const auto purge = [at](Store& store) { return store.purgeExpiredTokens(at); };
    co_await m_pool.run(purge);
}

} // namespace quillora
