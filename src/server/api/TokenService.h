#pragma once

#include "server/store/StoreRecords.h"

#include <QString>

#include <qcoro/qcorotask.h>

#include <optional>

namespace quillora {

class Clock;
class StorePool;

/** An access token and the refresh token that renews it, as handed to a client. */
struct TokenPair
{
    QString accessToken;
    QString refreshToken;
};

/** How long new tokens live, in seconds. */
struct TokenLifetimes
{
    qint64 access = 3600;
    qint64 refresh = 30 * 24 * 3600;
};

/**
 * Issues, checks and rotates bearer tokens. A token is 256 random bits from the system's secure
 * generator, written as URL-safe base64 with a short prefix ("qat_" access, "qrt_" refresh); only
 * its SHA-256 is stored. Expiry is judged on the injected clock's wall time, read on the main
 * thread; the store's work runs on the pool's connections.
 */
class TokenService final
{
public:
    TokenService(StorePool& pool, Clock& clock, TokenLifetimes lifetimes);

    /**
     * Starts a new session for `userId` and returns its first pair, blocking until it is stored
     * (for the command line and start-up). Throws `ServerError` (Storage).
     */
    [[nodiscard]] TokenPair issue(qint64 userId);

    /** The user of a valid access token, or nothing. Throws `ServerError` (Storage). */
    [[nodiscard]] QCoro::Task<std::optional<qint64>> authenticate(QString accessToken);

    /** The outcome of `refresh`, with the new pair when it is Rotated. */
    struct Refreshed
    {
        RefreshOutcome outcome = RefreshOutcome::Unknown;
        TokenPair pair;
    };

    /**
     * Exchanges a refresh token for a new pair. Any outcome but Rotated means the token is
     * refused: unknown, expired, or spent before (which also ends its session). Throws
     * `ServerError` (Storage).
     */
    [[nodiscard]] QCoro::Task<Refreshed> refresh(QString refreshToken);

    [[nodiscard]] const TokenLifetimes& lifetimes() const { return m_lifetimes; }

    /** Deletes expired tokens from the store. Throws `ServerError` (Storage). */
    QCoro::Task<> purgeExpired();

private:
    qint64 now() const;

    StorePool& m_pool;
    Clock& m_clock;
    TokenLifetimes m_lifetimes;
};

} // namespace quillora
