#include "server/store/Store.h"

#include "core/PresetRules.h"
#include "server/ServerError.h"
#include "server/store/SqlConnection.h"
#include "server/store/StoreMigrations.h"

namespace quillora {

namespace {

// The daily limit counts polishings per UTC day.
constexpr qint64 kSecondsPerDay = 86400;

QString hashText(const QByteArray& hash)
{
    return QString::fromLatin1(hash.toHex());
}

} // namespace

Store::Store(const DatabaseAddress& address)
    : m_connection(std::make_unique<SqlConnection>(address))
{
    StoreMigrations::migrate(*m_connection);
}

Store::~Store() = default;

const DatabaseAddress& Store::address() const
{
    return m_connection->address();
}

std::optional<qint64> Store::findUser(const QString& name)
{
    SqlRows rows = m_connection->run(QStringLiteral("SELECT id FROM users WHERE name = ?"), {name});
    if (!rows.next()) {
        return std::nullopt;
    }
    return rows.value(0).toLongLong();
}

qint64 Store::insertUser(const QString& name, qint64 now)
{
    const qint64 userId =
        m_connection->insert(QStringLiteral("INSERT INTO users (name, created_at) VALUES (?, ?)"), {name, now});
    qint64 position = 0;
    for (const PresetText& preset : PresetRules::builtInPresets()) {
        (void)m_connection->insert(QStringLiteral("INSERT INTO presets (user_id, position, name, instruction, "
                                                  "created_at, updated_at) VALUES (?, ?, ?, ?, ?, ?)"),
                                   {userId, ++position, preset.name, preset.instruction, now, now});
    }
    return userId;
}

qint64 Store::ensureUser(const QString& name, qint64 now)
{
    if (const auto existing = findUser(name)) {
        return *existing;
    }
    WriteTransaction transaction(*m_connection);
    // Another instance may have created the user since the look-up above.
    if (const auto existing = findUser(name)) {
        return *existing;
    }
    const qint64 userId = insertUser(name, now);
    transaction.commit();
    return userId;
}

qint64 Store::createUser(const QString& name, qint64 now)
{
    WriteTransaction transaction(*m_connection);
    if (findUser(name)) {
        throw ServerError(ServerError::Kind::Conflict, QStringLiteral("the user \"%1\" already exists").arg(name));
    }
    const qint64 userId = insertUser(name, now);
    transaction.commit();
    return userId;
}

void Store::createSession(qint64 userId, const TokenRecord& access, const TokenRecord& refresh, qint64 now)
{
    WriteTransaction transaction(*m_connection);
    const qint64 sessionId =
        m_connection->insert(QStringLiteral("INSERT INTO sessions (user_id, created_at) VALUES (?, ?)"), {userId, now});
    const QString insertToken =
        QStringLiteral("INSERT INTO tokens (hash, session_id, kind, expires_at) VALUES (?, ?, ?, ?)");
    SqlRows accessRow =
        m_connection->run(insertToken, {hashText(access.hash), sessionId, QStringLiteral("access"), access.expiresAt});
    SqlRows refreshRow = m_connection->run(
        insertToken, {hashText(refresh.hash), sessionId, QStringLiteral("refresh"), refresh.expiresAt});
    transaction.commit();
}

std::optional<qint64> Store::userForAccessToken(const QByteArray& hash, qint64 now)
{
    SqlRows rows = m_connection->run(
        QStringLiteral("SELECT s.user_id FROM tokens t JOIN sessions s ON s.id = t.session_id "
                       "WHERE t.hash = ? AND t.kind = 'access' AND t.expires_at > ? AND s.revoked_at IS NULL"),
        {hashText(hash), now});
    if (!rows.next()) {
        return std::nullopt;
    }
    return rows.value(0).toLongLong();
}

RefreshOutcome Store::rotateRefreshToken(const QByteArray& hash, const TokenRecord& access, const TokenRecord& refresh,
                                         qint64 now)
{
    WriteTransaction transaction(*m_connection);
    qint64 sessionId = 0;
    bool spent = false;
    qint64 expiresAt = 0;
    {
        SqlRows rows =
            m_connection->run(QStringLiteral("SELECT t.session_id, t.used_at, t.expires_at FROM tokens t "
                                             "JOIN sessions s ON s.id = t.session_id "
                                             "WHERE t.hash = ? AND t.kind = 'refresh' AND s.revoked_at IS NULL"),
                              {hashText(hash)});
        if (!rows.next()) {
            return RefreshOutcome::Unknown;
        }
        sessionId = rows.value(0).toLongLong();
        spent = !rows.value(1).isNull();
        expiresAt = rows.value(2).toLongLong();
    }
    // A spent token ends its session whatever its age: whoever presents it again holds a copy
    // that leaked, and waiting for the copy to expire must not make the reuse harmless.
    if (!spent && expiresAt <= now) {
        return RefreshOutcome::Expired;
    }
    // Spending the token is a conditional update, so that of two instances racing with the same
    // token only one succeeds and the other sees a reuse.
    const bool claimed =
        !spent && m_connection
                          ->run(QStringLiteral("UPDATE tokens SET used_at = ? WHERE hash = ? AND used_at IS NULL"),
                                {now, hashText(hash)})
                          .rowsAffected() == 1;
    if (!claimed) {
        SqlRows revoked = m_connection->run(
            QStringLiteral("UPDATE sessions SET revoked_at = ? WHERE id = ? AND revoked_at IS NULL"), {now, sessionId});
        transaction.commit();
        return RefreshOutcome::Reused;
    }
    {
        SqlRows removed = m_connection->run(
            QStringLiteral("DELETE FROM tokens WHERE session_id = ? AND kind = 'access'"), {sessionId});
    }
    const QString insertToken =
        QStringLiteral("INSERT INTO tokens (hash, session_id, kind, expires_at) VALUES (?, ?, ?, ?)");
    {
        SqlRows accessRow = m_connection->run(
            insertToken, {hashText(access.hash), sessionId, QStringLiteral("access"), access.expiresAt});
    }
    {
        SqlRows refreshRow = m_connection->run(
            insertToken, {hashText(refresh.hash), sessionId, QStringLiteral("refresh"), refresh.expiresAt});
    }
    transaction.commit();
    return RefreshOutcome::Rotated;
}

int Store::purgeExpiredTokens(qint64 now)
{
    WriteTransaction transaction(*m_connection);
    int removed = 0;
    {
        // Spent refresh tokens stay while their live session has a live token: presenting one again must
        // still find it and end the session, however old it is.
        SqlRows rows = m_connection->run(
            QStringLiteral(
                "DELETE FROM tokens WHERE expires_at <= ? AND NOT (kind = 'refresh' AND used_at IS NOT NULL "
                "AND session_id IN (SELECT t.session_id FROM tokens t JOIN sessions s ON s.id = t.session_id "
                "WHERE t.expires_at > ? AND s.revoked_at IS NULL))"),
            {now, now});
        removed = rows.rowsAffected();
    }
    {
        SqlRows rows =
            m_connection->run(QStringLiteral("DELETE FROM sessions WHERE id NOT IN (SELECT session_id FROM tokens)"));
    }
    transaction.commit();
    return removed;
}

bool Store::ping() noexcept
{
    try {
        SqlRows rows = m_connection->run(QStringLiteral("SELECT 1"));
        return rows.next();
    } catch (...) {
        return false;
    }
}

QList<StoredPreset> Store::presets(qint64 userId)
{
    SqlRows rows = m_connection->run(
        QStringLiteral("SELECT id, name, instruction FROM presets WHERE user_id = ? ORDER BY position, id"), {userId});
    QList<StoredPreset> presets;
    while (rows.next()) {
        presets.append({rows.value(0).toLongLong(), rows.value(1).toString(), rows.value(2).toString()});
    }
    return presets;
}

bool Store::hasOtherPresetNamed(qint64 userId, const QString& name, qint64 exceptId)
{
    // Compared in the form the database keeps (UTF-8), so that a name the database would store
    // differently from how it arrived cannot slip past the check.
    const QString stored = QString::fromUtf8(name.toUtf8());
    SqlRows rows = m_connection->run(QStringLiteral("SELECT id, name FROM presets WHERE user_id = ?"), {userId});
    while (rows.next()) {
        if (rows.value(0).toLongLong() != exceptId &&
            rows.value(1).toString().compare(stored, Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}

PresetWrite Store::addPreset(qint64 userId, const QString& name, const QString& instruction, qint64 now,
                             qsizetype limit)
{
    WriteTransaction transaction(*m_connection);
    if (hasOtherPresetNamed(userId, name, 0)) {
        return {PresetWrite::Status::DuplicateName, {}};
    }
    {
        SqlRows rows = m_connection->run(QStringLiteral("SELECT COUNT(*) FROM presets WHERE user_id = ?"), {userId});
        if (rows.next() && rows.value(0).toLongLong() >= limit) {
            return {PresetWrite::Status::TooMany, {}};
        }
    }
    qint64 position = 1;
    {
        SqlRows rows = m_connection->run(
            QStringLiteral("SELECT COALESCE(MAX(position), 0) + 1 FROM presets WHERE user_id = ?"), {userId});
        if (rows.next()) {
            position = rows.value(0).toLongLong();
        }
    }
    const qint64 id = m_connection->insert(QStringLiteral("INSERT INTO presets (user_id, position, name, instruction, "
                                                          "created_at, updated_at) VALUES (?, ?, ?, ?, ?, ?)"),
                                           {userId, position, name, instruction, now, now});
    transaction.commit();
    return {PresetWrite::Status::Done, {id, name, instruction}};
}

PresetWrite Store::updatePreset(qint64 userId, qint64 presetId, const QString& name, const QString& instruction,
                                qint64 now)
{
    WriteTransaction transaction(*m_connection);
    {
        SqlRows rows =
            m_connection->run(QStringLiteral("SELECT 1 FROM presets WHERE id = ? AND user_id = ?"), {presetId, userId});
        if (!rows.next()) {
            return {PresetWrite::Status::NotFound, {}};
        }
    }
    if (hasOtherPresetNamed(userId, name, presetId)) {
        return {PresetWrite::Status::DuplicateName, {}};
    }
    {
        SqlRows rows = m_connection->run(
            QStringLiteral("UPDATE presets SET name = ?, instruction = ?, updated_at = ? WHERE id = ? AND user_id = ?"),
            {name, instruction, now, presetId, userId});
    }
    transaction.commit();
    return {PresetWrite::Status::Done, {presetId, name, instruction}};
}

bool Store::deletePreset(qint64 userId, qint64 presetId)
{
    SqlRows rows =
        m_connection->run(QStringLiteral("DELETE FROM presets WHERE id = ? AND user_id = ?"), {presetId, userId});
    return rows.rowsAffected() > 0;
}

qint64 Store::polishingsOnDayOf(qint64 userId, qint64 now)
{
    SqlRows rows = m_connection->run(QStringLiteral("SELECT used FROM polishing_days WHERE user_id = ? AND day = ?"),
                                     {userId, now / kSecondsPerDay});
    return rows.next() ? rows.value(0).toLongLong() : 0;
}

std::optional<qint64> Store::addPolishing(const PolishingRecord& record, qint64 dailyLimit)
{
    WriteTransaction transaction(*m_connection);
    const qint64 day = record.createdAt / kSecondsPerDay;
    {
        SqlRows created = m_connection->run(
            QStringLiteral("INSERT INTO polishing_days (user_id, day, used) VALUES (?, ?, 0) ON CONFLICT DO NOTHING"),
            {record.userId, day});
    }
    {
        // PostgreSQL checks the condition again on the row as the transaction that held it left it.
        SqlRows counted = m_connection->run(
            QStringLiteral("UPDATE polishing_days SET used = used + 1 WHERE user_id = ? AND day = ? AND used < ?"),
            {record.userId, day, dailyLimit});
        if (counted.rowsAffected() != 1) {
            return std::nullopt;
        }
    }
    const qint64 id = m_connection->insert(
        QStringLiteral("INSERT INTO polishings (user_id, created_at, model, duration, input_characters, result_count) "
                       "VALUES (?, ?, ?, ?, ?, ?)"),
        {record.userId, record.createdAt, record.model, record.duration, record.inputCharacters, record.resultCount});
    transaction.commit();
    return id;
}

std::optional<qint64> Store::addInteraction(qint64 userId, qint64 polishingId, const QString& action,
                                            const QString& presetName, qint64 now)
{
    const qint64 id = m_connection->insert(
        QStringLiteral("INSERT INTO interactions (polishing_id, action, preset_name, created_at) "
                       "SELECT ?, ?, ?, ? WHERE EXISTS (SELECT 1 FROM polishings WHERE id = ? AND user_id = ?)"),
        {polishingId, action, presetName, now, polishingId, userId});
    if (id == 0) {
        return std::nullopt;
    }
    return id;
}

} // namespace quillora
