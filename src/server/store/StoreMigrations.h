#pragma once

namespace quillora {

class SqlConnection;

/**
 * The database schema as a list of numbered migrations. The applied version is kept in the table
 * "schema_version"; pending migrations run in one transaction, and several service instances
 * starting together apply each of them only once.
 */
class StoreMigrations final
{
public:
    /** The schema version this build writes. */
    [[nodiscard]] static int latestVersion();

    /**
     * Brings the database up to `latestVersion()`. Throws `ServerError` (Storage) when a statement
     * fails (the failing migration is rolled back) or the database is newer than this build.
     */
    static void migrate(SqlConnection& connection);

    /** The applied schema version; 0 for an empty database. Throws `ServerError` on failure. */
    [[nodiscard]] static int appliedVersion(SqlConnection& connection);
};

} // namespace quillora
