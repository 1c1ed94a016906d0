#pragma once

#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace quillora::test {

/**
 * A throwaway PostgreSQL server for tests: a cluster made with initdb in a temporary folder and
 * started with pg_ctl on a free loopback port, with durability switched off for speed. When the
 * tests run as root (as in CI), initdb, pg_ctl and postgres run as the "postgres" user, who owns
 * the folder. One server is started on first use and stopped when the test program ends; each
 * test asks it for a fresh database.
 */
class TemporaryPostgres final
{
public:
    /** The process's server, started on first call. */
    static TemporaryPostgres& shared();

    TemporaryPostgres(const TemporaryPostgres&) = delete;
    TemporaryPostgres& operator=(const TemporaryPostgres&) = delete;
    ~TemporaryPostgres();

    /** False when the PostgreSQL programs are not installed; `problem()` says why. */
    [[nodiscard]] bool isInstalled() const { return m_installed; }
    /** True once the server answers. */
    [[nodiscard]] bool isRunning() const { return m_running; }
    /** Why the server is not running: missing programs, or the failing step and its output. */
    [[nodiscard]] const QString& problem() const { return m_problem; }

    /** Creates an empty database and returns its "postgresql://…" address; empty on failure. */
    QString createDatabase();

    /** Stops the server and deletes its folder (also done at the end of the test program). */
    void stop();

    /** Stops the server, dropping every connection, and starts it again; true when it answers again. */
    bool restart();

    /** Stops the server, dropping every connection, but keeps its data for `resume`; true when it stopped. */
    bool halt();

    /** Starts a halted server again; true when it answers. */
    bool resume();

private:
    TemporaryPostgres();
    bool runStep(const QString& what, const QStringList& command);
    bool start();
    /** Stops a running server with pg_ctl's shutdown `mode`; true when it stopped. */
    bool stopServer(const QString& mode);

    QString m_binaries;
    std::unique_ptr<QTemporaryDir> m_folder;
    quint16 m_port = 0;
    int m_databases = 0;
    bool m_installed = false;
    bool m_running = false;
    QString m_problem;
};

} // namespace quillora::test
