#pragma once

#include "server/store/DatabaseAddress.h"

#include <QHash>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

#include <memory>
#include <mutex>

namespace quillora {

struct SqliteFile;

/**
 * The rows of one statement run by `SqlConnection::run`. The statement is reset when this object
 * goes away, so SQLite never keeps a reader open across a commit.
 */
class SqlRows final
{
public:
    explicit SqlRows(QSqlQuery& query)
        : m_query(query)
    {
    }
    SqlRows(const SqlRows&) = delete;
    SqlRows& operator=(const SqlRows&) = delete;
    ~SqlRows() { m_query.finish(); }

    /** Moves to the next row; false after the last one. */
    bool next() { return m_query.next(); }
    [[nodiscard]] QVariant value(int column) const { return m_query.value(column); }
    /** Rows changed by an INSERT, UPDATE or DELETE. */
    [[nodiscard]] int rowsAffected() const { return m_query.numRowsAffected(); }

private:
    QSqlQuery& m_query;
};

/**
 * One database connection, SQLite or PostgreSQL, with every difference between the two SQL
 * dialects kept here: the key column type, how an insert reports its new key, how a write
 * transaction starts, and how schema changes are serialised between service instances. Statements
 * are prepared once and reused. A lost PostgreSQL connection (the server restarted) is opened
 * again on the next statement outside a transaction. A connection belongs to the thread that
 * made it.
 */
class SqlConnection final
{
public:
    /**
     * Opens the database (creating a SQLite file and the folders above it when missing, readable
     * by their owner only) and configures it (SQLite: WAL journal checkpointed from a background
     * thread, foreign keys, busy time-out). Throws `ServerError` (Storage) with the driver's
     * reason when it cannot be opened or is not a database.
     */
    explicit SqlConnection(const DatabaseAddress& address);
    SqlConnection(const SqlConnection&) = delete;
    SqlConnection& operator=(const SqlConnection&) = delete;
    ~SqlConnection();

    [[nodiscard]] DatabaseAddress::Kind kind() const { return m_address.kind; }
    [[nodiscard]] const DatabaseAddress& address() const { return m_address; }

    /** Replaces "{id}" in `sql` by the dialect's auto-incrementing primary key column type. */
    [[nodiscard]] QString expand(QString sql) const;

    /**
     * Runs a prepared statement with positional values and returns its rows. Throws `ServerError`
     * (Storage) with the driver's reason on failure.
     */
    [[nodiscard]] SqlRows run(const QString& sql, const QVariantList& values = {});

    /**
     * Runs an INSERT and returns the new row's "id", or 0 when the statement inserted nothing.
     * Throws `ServerError` (Storage) on failure.
     */
    [[nodiscard]] qint64 insert(const QString& sql, const QVariantList& values);

    /** Runs a statement without preparing it (schema changes, transaction control). Throws on failure. */
    void execute(const QString& sql);

    /** Starts a write transaction (SQLite takes the write lock at once). Throws on failure. */
    void begin();
    /** Commits; the data is in the database when this returns. Throws on failure. */
    void commit();
    /** Rolls back; never throws. */
    void rollback() noexcept;

    /** Inside a transaction: waits until no other service instance is changing the schema. */
    void lockSchema();

private:
    void open();
    void close() noexcept;
    /** After a failure outside a transaction: opens a new PostgreSQL connection if the old one is gone. */
    bool reconnectIfLost();
    QSqlQuery& prepared(const QString& sql);
    SqlRows runOnce(const QString& sql, const QVariantList& values);
    [[noreturn]] void fail(const QString& what, const QSqlError& error) const;

    DatabaseAddress m_address;
    QString m_connectionName;
    /** SQLite: what the process's connections to the file share. */
    std::shared_ptr<SqliteFile> m_sqlite;
    /** SQLite: held from BEGIN to COMMIT or ROLLBACK. */
    std::unique_lock<std::mutex> m_writeTurn;
    bool m_inTransaction = false;
    QHash<QString, std::shared_ptr<QSqlQuery>> m_statements;
};

/** Rolls back unless `commit()` was called. */
class WriteTransaction final
{
public:
    explicit WriteTransaction(SqlConnection& connection);
    WriteTransaction(const WriteTransaction&) = delete;
    WriteTransaction& operator=(const WriteTransaction&) = delete;
    ~WriteTransaction();

    /** Commits. Throws `ServerError` (Storage) when the commit fails (nothing is then stored). */
    void commit();

private:
    SqlConnection& m_connection;
    bool m_open = true;
};

} // namespace quillora
