#pragma once

#include "server/store/DatabaseAddress.h"
#include "server/store/StoreRecords.h"

#include <QList>
#include <QString>

#include <limits>
#include <memory>
#include <optional>

namespace quillora {

class SqlConnection;

/**
 * Everything the service keeps: users, sessions and their tokens, each user's presets, polishings
 * and interactions. Backed by SQLite or PostgreSQL (several service instances may share one
 * PostgreSQL database). Every write is committed before the call returns. Belongs to the thread
 * that made it. All operations throw `ServerError` (Storage) when the database fails; a failed
 * operation leaves nothing half-written.
 */
class Store final
{
public:
    /** Opens the database and brings its schema up to date. Throws `ServerError` (Storage). */
    explicit Store(const DatabaseAddress& address);
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;
    ~Store();

    [[nodiscard]] const DatabaseAddress& address() const;

    /** The user called `name`, created with the built-in presets when missing. */
    [[nodiscard]] qint64 ensureUser(const QString& name, qint64 now);

    /** Creates the user `name` with the built-in presets. Throws `ServerError` (Conflict) when it exists. */
    [[nodiscard]] qint64 createUser(const QString& name, qint64 now);

    /** Starts a session for `userId` holding one access and one refresh token. */
    void createSession(qint64 userId, const TokenRecord& access, const TokenRecord& refresh, qint64 now);

    /** The user of an unexpired access token of a live session, or nothing. */
    [[nodiscard]] std::optional<qint64> userForAccessToken(const QByteArray& hash, qint64 now);

    /**
     * Spends the refresh token `hash` and stores the new pair in its session, replacing the
     * session's access tokens. A token that was already spent ends its session (Reused).
     */
    [[nodiscard]] RefreshOutcome rotateRefreshToken(const QByteArray& hash, const TokenRecord& access,
                                                    const TokenRecord& refresh, qint64 now);

    /** Deletes expired tokens and sessions left without tokens; returns the number of tokens deleted. */
    int purgeExpiredTokens(qint64 now);

    /** Whether the database answers a trivial query now. Never throws. */
    [[nodiscard]] bool ping() noexcept;

    /** The user's presets in display order. */
    [[nodiscard]] QList<StoredPreset> presets(qint64 userId);

    /**
     * Appends a preset to the user's list, unless another one has the same name (ignoring case,
     * compared as stored) or the user already has `limit` presets. Throws `ServerError` (Storage).
     */
    [[nodiscard]] PresetWrite addPreset(qint64 userId, const QString& name, const QString& instruction, qint64 now,
                                        qsizetype limit = std::numeric_limits<qsizetype>::max());

    /** Changes the name and instruction of one of the user's presets. */
    [[nodiscard]] PresetWrite updatePreset(qint64 userId, qint64 presetId, const QString& name,
                                           const QString& instruction, qint64 now);

    /** Deletes one of the user's presets; false when the user has no such preset. */
    [[nodiscard]] bool deletePreset(qint64 userId, qint64 presetId);

    /** The user's polishings recorded on the UTC day of `now` (seconds since the epoch). */
    [[nodiscard]] qint64 polishingsOnDayOf(qint64 userId, qint64 now);

    /**
     * Records a polishing and returns its log id, unless the user already has `dailyLimit`
     * polishings on its UTC day: then nothing is recorded and nothing returned. The check and the
     * record are one step, so that polishings recorded at the same time cannot pass the limit.
     */
    [[nodiscard]] std::optional<qint64> addPolishing(const PolishingRecord& record,
                                                     qint64 dailyLimit = std::numeric_limits<qint64>::max());

    /**
     * Records what the user did with a variation of their polishing `polishingId`; returns the
     * interaction's id, or nothing when the user has no such polishing.
     */
    [[nodiscard]] std::optional<qint64> addInteraction(qint64 userId, qint64 polishingId, const QString& action,
                                                       const QString& presetName, qint64 now);

private:
    std::optional<qint64> findUser(const QString& name);
    qint64 insertUser(const QString& name, qint64 now);
    bool hasOtherPresetNamed(qint64 userId, const QString& name, qint64 exceptId);

    std::unique_ptr<SqlConnection> m_connection;
};

} // namespace quillora
