#include "server/store/SqlConnection.h"

#include "server/ServerError.h"
#include "server/store/SqliteCheckpointer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>

#include <atomic>
#include <map>

namespace quillora {

namespace {

constexpr QFileDevice::Permissions kGroupOrOthers = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                                    QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                                    QFileDevice::WriteOther | QFileDevice::ExeOther;

} // namespace

/**
 * What the process's connections to one SQLite file share: the checkpointer, and the turn to
 * write. SQLite admits one writer at a time and makes the others poll its lock with growing
 * sleeps; taking turns here instead hands the lock over at once, while reads run side by side.
 */
struct SqliteFile
{
    std::mutex writer;
    std::unique_ptr<SqliteCheckpointer> checkpointer;

    /** The share for `path`, made (with its checkpointer) by the first connection to open it. */
    static std::shared_ptr<SqliteFile> of(const QString& path)
    {
        static std::mutex registryMutex;
        static std::map<QString, std::weak_ptr<SqliteFile>> files;
        const std::lock_guard lock(registryMutex);
        std::weak_ptr<SqliteFile>& entry = files[QFileInfo(path).absoluteFilePath()];
        if (std::shared_ptr<SqliteFile> existing = entry.lock()) {
            return existing;
        }
        auto made = std::make_shared<SqliteFile>();
        made->checkpointer = std::make_unique<SqliteCheckpointer>(path);
        entry = made;
        return made;
    }
};

namespace {

/**
 * Creates the folder `path` and those missing above it, each readable by its owner only: the
 * database in it holds everyone's history. False when it cannot be had.
 */
bool makeOwnerOnlyFolders(const QString& path)
{
    QStringList missing;
    QString current = QDir::cleanPath(path);
    while (!QFileInfo::exists(current)) {
        missing.prepend(current);
        const QString parent = QFileInfo(current).path();
        if (parent == current) {
            break;
        }
        current = parent;
    }
    constexpr QFileDevice::Permissions ownerOnly =
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    for (const QString& folder : std::as_const(missing)) {
        // Another connection may have made it meanwhile.
        if (!QDir().mkdir(folder, ownerOnly) && !QFileInfo(folder).isDir()) {
            return false;
        }
    }
    return QFileInfo(path).isDir();
}

QString nextConnectionName()
{
    static std::atomic<int> counter{0};
    return QStringLiteral("quillora-store-%1").arg(++counter);
}

void configureSqlite(QSqlDatabase& database, const DatabaseAddress& address)
{
    const QFileInfo file(address.path);
    if (!makeOwnerOnlyFolders(file.absolutePath())) {
        throw ServerError(ServerError::Kind::Storage,
                          QStringLiteral("cannot create the database folder %1").arg(file.absolutePath()));
    }
    // The file holds token hashes and everyone's presets: it is created readable by its owner
    // only, before SQLite opens it, because SQLite gives its WAL and shared-memory files the mode
    // of the database file. Files left by an older version are made owner-only as well.
    constexpr QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    if (!file.exists()) {
        QFile created(address.path);
        if (!created.open(QIODevice::WriteOnly | QIODevice::NewOnly, ownerOnly) && !file.exists()) {
            throw ServerError(
                ServerError::Kind::Storage,
                QStringLiteral("cannot create the database file %1: %2").arg(address.path, created.errorString()));
        }
    }
    for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")}) {
        QFile existing(address.path + suffix);
        if (existing.exists() && (existing.permissions() & kGroupOrOthers)) {
            existing.setPermissions(ownerOnly);
        }
    }
    database.setDatabaseName(address.path);
    // Waiting on a lock held by another process beats failing the request at once.
    database.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
}

void configurePostgres(QSqlDatabase& database, const DatabaseAddress& address)
{
    database.setHostName(address.host);
    if (address.port != 0) {
        database.setPort(address.port);
    }
    database.setUserName(address.user);
    database.setPassword(address.password);
    database.setDatabaseName(address.databaseName);
    QString options = address.connectOptions;
    if (!options.contains(QLatin1String("connect_timeout"))) {
        options += QString(options.isEmpty() ? QString() : QStringLiteral(";")) + QStringLiteral("connect_timeout=10");
    }
    database.setConnectOptions(options);
}

} // namespace

SqlConnection::SqlConnection(const DatabaseAddress& address)
    : m_address(address)
    , m_connectionName(nextConnectionName())
{
    try {
        open();
    } catch (...) {
        close();
        throw;
    }
}

void SqlConnection::open()
{
    const bool sqlite = m_address.kind == DatabaseAddress::Kind::Sqlite;
    QSqlDatabase database =
        QSqlDatabase::addDatabase(sqlite ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL"), m_connectionName);
    if (!database.isValid()) {
        throw ServerError(ServerError::Kind::Storage,
                          QStringLiteral("the Qt %1 driver is not installed").arg(sqlite ? "SQLite" : "PostgreSQL"));
    }
    if (sqlite) {
        configureSqlite(database, m_address);
    } else {
        configurePostgres(database, m_address);
    }
    if (!database.open()) {
        fail(QStringLiteral("cannot open the database"), database.lastError());
    }
    if (sqlite) {
        // WAL lets readers run beside the writer; NORMAL still commits every transaction to the
        // WAL before the call returns, so an acknowledged write survives a crash of this process.
        execute(QStringLiteral("PRAGMA journal_mode=WAL"));
        execute(QStringLiteral("PRAGMA synchronous=NORMAL"));
        execute(QStringLiteral("PRAGMA foreign_keys=ON"));
        m_sqlite = SqliteFile::of(m_address.path);
        if (m_sqlite->checkpointer->started()) {
            execute(QStringLiteral("PRAGMA wal_autocheckpoint=0"));
        }
    } else {
        // Notices such as "relation already exists, skipping" are not worth a line on the console.
        execute(QStringLiteral("SET client_min_messages TO WARNING"));
    }
}

void SqlConnection::close() noexcept
{
    if (m_writeTurn.owns_lock()) {
        m_writeTurn.unlock();
    }
    m_sqlite.reset();
    m_statements.clear();
    {
        QSqlDatabase database = QSqlDatabase::database(m_connectionName, false);
        database.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
}

SqlConnection::~SqlConnection()
{
    close();
}

QString SqlConnection::expand(QString sql) const
{
    return sql.replace(QLatin1String("{id}"), m_address.kind == DatabaseAddress::Kind::Sqlite
                                                  ? QLatin1String("INTEGER PRIMARY KEY AUTOINCREMENT")
                                                  : QLatin1String("BIGSERIAL PRIMARY KEY"));
}

QSqlQuery& SqlConnection::prepared(const QString& sql)
{
    auto found = m_statements.find(sql);
    if (found != m_statements.end()) {
        return **found;
    }
    auto query = std::make_shared<QSqlQuery>(QSqlDatabase::database(m_connectionName, false));
    query->setForwardOnly(true);
    if (!query->prepare(sql)) {
        fail(QStringLiteral("cannot prepare a statement"), query->lastError());
    }
    return *m_statements.insert(sql, std::move(query)).value();
}

SqlRows SqlConnection::run(const QString& sql, const QVariantList& values)
{
    try {
        return runOnce(sql, values);
    } catch (const ServerError&) {
        if (!reconnectIfLost()) {
            throw;
        }
    }
    return runOnce(sql, values);
}

SqlRows SqlConnection::runOnce(const QString& sql, const QVariantList& values)
{
    // A write outside a transaction takes the write turn for as long as it runs, as a transaction does.
    std::unique_lock<std::mutex> turn;
    if (m_sqlite && !m_inTransaction && !sql.startsWith(QLatin1String("SELECT"))) {
        turn = std::unique_lock(m_sqlite->writer);
    }
    QSqlQuery& query = prepared(sql);
    for (qsizetype i = 0; i < values.size(); ++i) {
        query.bindValue(static_cast<int>(i), values.at(i));
    }
    if (!query.exec()) {
        const QSqlError error = query.lastError();
        query.finish();
        fail(QStringLiteral("a database statement failed"), error);
    }
    return SqlRows(query);
}

bool SqlConnection::reconnectIfLost()
{
    // A statement outside a transaction can simply run again on a new connection; inside one,
    // the transaction's earlier work is gone with the connection, so the failure must stand.
    if (m_address.kind != DatabaseAddress::Kind::Postgres || m_inTransaction) {
        return false;
    }
    QSqlDatabase database = QSqlDatabase::database(m_connectionName, false);
    if (QSqlQuery(database).exec(QStringLiteral("SELECT 1"))) {
        return false;
    }
    m_statements.clear();
    database.close();
    if (!database.open()) {
        return false;
    }
    QSqlQuery(database).exec(QStringLiteral("SET client_min_messages TO WARNING"));
    return true;
}

qint64 SqlConnection::insert(const QString& sql, const QVariantList& values)
{
    if (m_address.kind == DatabaseAddress::Kind::Postgres) {
        SqlRows rows = run(sql + QStringLiteral(" RETURNING id"), values);
        return rows.next() ? rows.value(0).toLongLong() : 0;
    }
    QSqlQuery& query = prepared(sql);
    SqlRows rows = run(sql, values);
    return rows.rowsAffected() > 0 ? query.lastInsertId().toLongLong() : 0;
}

void SqlConnection::execute(const QString& sql)
{
    QSqlQuery query(QSqlDatabase::database(m_connectionName, false));
    if (query.exec(sql)) {
        return;
    }
    const QSqlError error = query.lastError();
    if (!reconnectIfLost() || !QSqlQuery(QSqlDatabase::database(m_connectionName, false)).exec(sql)) {
        fail(QStringLiteral("a database statement failed"), error);
    }
}

void SqlConnection::begin()
{
    if (m_sqlite) {
        m_writeTurn = std::unique_lock(m_sqlite->writer);
    }
    try {
        execute(m_sqlite ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("BEGIN"));
    } catch (...) {
        if (m_writeTurn.owns_lock()) {
            m_writeTurn.unlock();
        }
        throw;
    }
    m_inTransaction = true;
}

void SqlConnection::commit()
{
    // Still inside the transaction while COMMIT runs: a COMMIT repeated on a new connection would
    // report success for work that is lost. A failed COMMIT keeps the turn until the rollback.
    execute(QStringLiteral("COMMIT"));
    m_inTransaction = false;
    if (m_writeTurn.owns_lock()) {
        m_writeTurn.unlock();
    }
}

void SqlConnection::rollback() noexcept
{
    m_inTransaction = false;
    QSqlQuery query(QSqlDatabase::database(m_connectionName, false));
    query.exec(QStringLiteral("ROLLBACK"));
    if (m_writeTurn.owns_lock()) {
        m_writeTurn.unlock();
    }
}

void SqlConnection::lockSchema()
{
    // SQLite's BEGIN IMMEDIATE already excludes every other writer; PostgreSQL needs an explicit
    // lock so that two instances starting together do not both apply a migration.
    if (m_address.kind == DatabaseAddress::Kind::Postgres) {
        execute(QStringLiteral("SELECT pg_advisory_xact_lock(74120001)"));
    }
}

void SqlConnection::fail(const QString& what, const QSqlError& error) const
{
    QString reason = error.text().trimmed();
    if (reason.isEmpty()) {
        reason = QStringLiteral("unknown error");
    }
    throw ServerError(ServerError::Kind::Storage,
                      QStringLiteral("%1 (%2): %3").arg(what, m_address.displayText(), reason));
}

WriteTransaction::WriteTransaction(SqlConnection& connection)
    : m_connection(connection)
{
    m_connection.begin();
}

WriteTransaction::~WriteTransaction()
{
    if (m_open) {
        m_connection.rollback();
    }
}

void WriteTransaction::commit()
{
    m_open = false;
    try {
        m_connection.commit();
    } catch (...) {
        m_connection.rollback();
        throw;
    }
}

} // namespace quillora
