#include "TemporaryPostgres.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTcpServer>

#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillora::test {

namespace {

constexpr auto kSuperuser = "quillora";

QString findBinaries()
{
    QDir root(QStringLiteral("/usr/lib/postgresql"));
    QStringList versions = root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    std::reverse(versions.begin(), versions.end());
    for (const QString& version : versions) {
        const QString bin = root.filePath(version + QStringLiteral("/bin"));
        if (QFileInfo::exists(bin + QStringLiteral("/initdb")) && QFileInfo::exists(bin + QStringLiteral("/pg_ctl"))) {
            return bin;
        }
    }
    return {};
}

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

TemporaryPostgres* g_shared = nullptr;

/** Stops the shared server, if one was started, before the test program's Qt application goes away. */
class StopAtExit final : public ::testing::Environment
{
public:
    void TearDown() override
    {
        if (g_shared != nullptr) {
            g_shared->stop();
        }
    }
};

// Registered before the tests start, as GoogleTest requires; it does nothing unless a test used PostgreSQL.
[[maybe_unused]] ::testing::Environment* const g_stopAtExit = ::testing::AddGlobalTestEnvironment(new StopAtExit);

} // namespace

TemporaryPostgres& TemporaryPostgres::shared()
{
    if (g_shared == nullptr) {
        g_shared = new TemporaryPostgres;
    }
    return *g_shared;
}

TemporaryPostgres::TemporaryPostgres()
{
    m_binaries = findBinaries();
    m_installed = !m_binaries.isEmpty();
    if (!m_installed) {
        m_problem = QStringLiteral("PostgreSQL's initdb and pg_ctl are not installed under /usr/lib/postgresql");
        return;
    }
    m_folder = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/quillora-pg-XXXXXX"));
    if (geteuid() == 0) {
        // initdb refuses to run as root: the cluster belongs to the postgres user.
        const passwd* account = getpwnam("postgres");
        if (account == nullptr ||
            chown(QFile::encodeName(m_folder->path()).constData(), account->pw_uid, account->pw_gid) != 0) {
            m_problem = QStringLiteral("running as root, but the folder cannot be given to the postgres user");
            return;
        }
    }
    chmod(QFile::encodeName(m_folder->path()).constData(), 0700);
    m_port = freePort();
    m_running = runStep(QStringLiteral("initdb"),
                        {m_binaries + QStringLiteral("/initdb"), QStringLiteral("-D"),
                         m_folder->filePath(QStringLiteral("data")), QStringLiteral("-A"), QStringLiteral("trust"),
                         QStringLiteral("-U"), QLatin1String(kSuperuser), QStringLiteral("-E"), QStringLiteral("UTF8"),
                         QStringLiteral("--no-sync")}) &&
                start();
}

bool TemporaryPostgres::start()
{
    const QString options = QStringLiteral("-p %1 -k %2 -c listen_addresses=127.0.0.1 -c fsync=off "
                                           "-c synchronous_commit=off -c full_page_writes=off")
                                .arg(m_port)
                                .arg(m_folder->path());
    return runStep(QStringLiteral("pg_ctl start"),
                   {m_binaries + QStringLiteral("/pg_ctl"), QStringLiteral("-D"),
                    m_folder->filePath(QStringLiteral("data")), QStringLiteral("-o"), options, QStringLiteral("-l"),
                    m_folder->filePath(QStringLiteral("server.log")), QStringLiteral("-w"), QStringLiteral("-t"),
                    QStringLiteral("30"), QStringLiteral("start")});
}

bool TemporaryPostgres::restart()
{
    return halt() && resume();
}

bool TemporaryPostgres::halt()
{
    // A fast stop still drops every connection, but writes the data first: with fsync off, an
    // immediate stop could lose it.
    return stopServer(QStringLiteral("fast"));
}

bool TemporaryPostgres::stopServer(const QString& mode)
{
    if (!m_running) {
        return false;
    }
    m_running = false;
    return runStep(QStringLiteral("pg_ctl stop"), {m_binaries + QStringLiteral("/pg_ctl"), QStringLiteral("-D"),
                                                   m_folder->filePath(QStringLiteral("data")), QStringLiteral("-m"),
                                                   mode, QStringLiteral("-w"), QStringLiteral("stop")});
}

bool TemporaryPostgres::resume()
{
    m_running = m_folder && start();
    return m_running;
}

TemporaryPostgres::~TemporaryPostgres()
{
    stop();
}

bool TemporaryPostgres::runStep(const QString& what, const QStringList& command)
{
    QStringList arguments = command;
    QString program = arguments.takeFirst();
    if (geteuid() == 0) {
        arguments =
            QStringList{QStringLiteral("-u"), QStringLiteral("postgres"), QStringLiteral("--"), program} + arguments;
        program = QStringLiteral("runuser");
    }
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setWorkingDirectory(m_folder->path());
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        m_problem = QStringLiteral("%1 failed: %2").arg(what, QString::fromLocal8Bit(process.readAll()).trimmed());
        return false;
    }
    return true;
}

QString TemporaryPostgres::createDatabase()
{
    if (!m_running) {
        return {};
    }
    const QString name = QStringLiteral("quillora_test_%1").arg(++m_databases);
    const QString connection = QStringLiteral("temporary-postgres-admin");
    bool created = false;
    {
        QSqlDatabase admin = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection);
        admin.setHostName(QStringLiteral("127.0.0.1"));
        admin.setPort(m_port);
        admin.setUserName(QLatin1String(kSuperuser));
        admin.setDatabaseName(QStringLiteral("postgres"));
        if (admin.open()) {
            QSqlQuery query(admin);
            created = query.exec(QStringLiteral("CREATE DATABASE %1").arg(name));
            if (!created) {
                m_problem = query.lastError().text();
            }
        } else {
            m_problem = admin.lastError().text();
        }
        admin.close();
    }
    QSqlDatabase::removeDatabase(connection);
    if (!created) {
        return {};
    }
    return QStringLiteral("postgresql://%1@127.0.0.1:%2/%3").arg(QLatin1String(kSuperuser)).arg(m_port).arg(name);
}

void TemporaryPostgres::stop()
{
    stopServer(QStringLiteral("immediate"));
    // The cluster is tens of megabytes; it goes with the server.
    m_folder.reset();
}

} // namespace quillora::test
