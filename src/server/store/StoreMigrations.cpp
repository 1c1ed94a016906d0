#include "server/store/StoreMigrations.h"

#include "server/ServerError.h"
#include "server/store/SqlConnection.h"

#include <QStringList>

#include <vector>

namespace quillora {

namespace {

struct Migration
{
    int version;
    QStringList statements;
};

// "{id}" becomes the dialect's auto-incrementing key column. Times are seconds since the epoch.
const std::vector<Migration>& migrations()
{
    static const std::vector<Migration> list = {
        {1,
         {
             QStringLiteral("CREATE TABLE users (id {id}, name TEXT NOT NULL UNIQUE, created_at BIGINT NOT NULL)"),
             QStringLiteral("CREATE TABLE sessions (id {id}, "
                            "user_id BIGINT NOT NULL REFERENCES users(id) ON DELETE CASCADE, "
                            "created_at BIGINT NOT NULL, revoked_at BIGINT)"),
             QStringLiteral("CREATE TABLE tokens (hash TEXT PRIMARY KEY, "
                            "session_id BIGINT NOT NULL REFERENCES sessions(id) ON DELETE CASCADE, "
                            "kind TEXT NOT NULL CHECK (kind IN ('access', 'refresh')), "
                            "expires_at BIGINT NOT NULL, used_at BIGINT)"),
             QStringLiteral("CREATE INDEX tokens_session ON tokens (session_id)"),
             QStringLiteral("CREATE TABLE presets (id {id}, "
                            "user_id BIGINT NOT NULL REFERENCES users(id) ON DELETE CASCADE, "
                            "position BIGINT NOT NULL, name TEXT NOT NULL, instruction TEXT NOT NULL, "
                            "created_at BIGINT NOT NULL, updated_at BIGINT NOT NULL)"),
             QStringLiteral("CREATE INDEX presets_user ON presets (user_id, position, id)"),
             QStringLiteral("CREATE TABLE polishings (id {id}, "
                            "user_id BIGINT NOT NULL REFERENCES users(id) ON DELETE CASCADE, "
                            "created_at BIGINT NOT NULL, model TEXT NOT NULL, duration DOUBLE PRECISION NOT NULL, "
                            "input_characters BIGINT NOT NULL, result_count BIGINT NOT NULL)"),
             QStringLiteral("CREATE TABLE interactions (id {id}, "
                            "polishing_id BIGINT NOT NULL REFERENCES polishings(id) ON DELETE CASCADE, "
                            "action TEXT NOT NULL, preset_name TEXT NOT NULL, created_at BIGINT NOT NULL)"),
             QStringLiteral("CREATE INDEX interactions_polishing ON interactions (polishing_id)"),
         }},
        // The polishings of each user on each day (days since the epoch, UTC), counted in the same
        // statement that checks the daily limit, so that requests in parallel cannot pass it.
        {2,
         {
             QStringLiteral("CREATE TABLE polishing_days (user_id BIGINT NOT NULL REFERENCES users(id) ON DELETE "
                            "CASCADE, day BIGINT NOT NULL, used BIGINT NOT NULL, PRIMARY KEY (user_id, day))"),
             QStringLiteral("INSERT INTO polishing_days (user_id, day, used) "
                            "SELECT user_id, created_at / 86400, COUNT(*) FROM polishings "
                            "GROUP BY user_id, created_at / 86400"),
         }},
    };
    return list;
}

} // namespace

int StoreMigrations::latestVersion()
{
    return migrations().back().version;
}

int StoreMigrations::appliedVersion(SqlConnection& connection)
{
    SqlRows rows = connection.run(QStringLiteral("SELECT MAX(version) FROM schema_version"));
    return rows.next() ? rows.value(0).toInt() : 0;
}

void StoreMigrations::migrate(SqlConnection& connection)
{
    WriteTransaction transaction(connection);
    connection.lockSchema();
    connection.execute(QStringLiteral("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)"));
    const int applied = appliedVersion(connection);
    if (applied > latestVersion()) {
        throw ServerError(ServerError::Kind::Storage,
                          QStringLiteral("the database %1 has schema version %2, newer than this server's %3; "
                                         "upgrade quillora-server")
                              .arg(connection.address().displayText())
                              .arg(applied)
                              .arg(latestVersion()));
    }
    for (const Migration& migration : migrations()) {
        if (migration.version <= applied) {
            continue;
        }
        for (const QString& statement : migration.statements) {
            connection.execute(connection.expand(statement));
        }
        SqlRows done =
            connection.run(QStringLiteral("INSERT INTO schema_version (version) VALUES (?)"), {migration.version});
    }
    transaction.commit();
}

} // namespace quillora
