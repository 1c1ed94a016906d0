// The database off the event loop: a lock held elsewhere (in PostgreSQL, or on the SQLite file)
// holds up only the requests that need it, and the health check tells when the database does not
// answer.
#include "ServerTest.h"
#include "TemporaryPostgres.h"

#include "core/Detached.h"
#include "server/api/ApiServer.h"
#include "server/store/DatabaseAddress.h"
#include "server/store/StorePool.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <gtest/gtest.h>

#include <atomic>
#include <semaphore>

namespace quillora {
namespace {

using test::HttpResult;
using test::HttpTestClient;
using test::spinUntil;
using test::TemporaryPostgres;
using test::TestServer;

constexpr int kConnections = 2;

/** A session of the test's own on the server's PostgreSQL database, for taking locks. */
class LockingSession final
{
public:
    explicit LockingSession(const QString& address)
    {
        const DatabaseAddress parsed = DatabaseAddress::parse(address);
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), kName);
        database.setHostName(parsed.host);
        database.setPort(parsed.port);
        database.setUserName(parsed.user);
        database.setDatabaseName(parsed.databaseName);
        m_open = database.open();
    }
    ~LockingSession()
    {
        QSqlDatabase::database(kName, false).close();
        QSqlDatabase::removeDatabase(kName);
    }

    [[nodiscard]] bool isOpen() const { return m_open; }

    /** Runs `sql` and returns the first column of its first row (empty without one). */
    QVariant query(const QString& sql)
    {
        QSqlQuery query(QSqlDatabase::database(kName, false));
        if (!query.exec(sql)) {
            ADD_FAILURE() << sql.toStdString() << ": " << query.lastError().text().toStdString();
            return {};
        }
        return query.next() ? query.value(0) : QVariant();
    }

    /** Statements of other sessions waiting for a lock now. */
    int waitingForLocks()
    {
        return query(QStringLiteral("SELECT COUNT(*) FROM pg_stat_activity WHERE wait_event_type = 'Lock'")).toInt();
    }

private:
    static constexpr auto kName = "store-pool-test-locks";
    bool m_open = false;
};

class StorePoolTest : public test::ServerTest
{
protected:
    void SetUp() override
    {
        ServerTest::SetUp();
        TemporaryPostgres& postgres = TemporaryPostgres::shared();
        if (!postgres.isInstalled()) {
            GTEST_SKIP() << postgres.problem().toStdString();
        }
        ASSERT_TRUE(postgres.isRunning()) << postgres.problem().toStdString();
        m_address = postgres.createDatabase();
        ASSERT_FALSE(m_address.isEmpty()) << postgres.problem().toStdString();
        ServerOptions options = TestServer::tokenOptions(3600);
        options.database = m_address;
        options.databaseConnections = kConnections;
        startServer(options);
    }

    /** A client signed in as a new user `name`. */
    std::unique_ptr<HttpTestClient> signIn(const QString& name)
    {
        auto client = std::make_unique<HttpTestClient>(server().apiUrl());
        client->setBearerToken(server().addUser(name).accessToken);
        return client;
    }

    QString m_address;
};

TEST_F(StorePoolTest, ALockedRowHoldsUpOnlyTheRequestsThatNeedItAndAFullPoolFailsTheHealthCheck)
{
    const auto alice = signIn(QStringLiteral("alice"));
    const auto bob = signIn(QStringLiteral("bob"));
    const HttpResult listed = alice->get(QStringLiteral("/presets"));
    ASSERT_EQ(listed.status, 200);
    const qint64 presetId = listed.json().array().at(0).toObject().value(QLatin1String("id")).toInteger();

    LockingSession locks(m_address);
    ASSERT_TRUE(locks.isOpen());
    locks.query(QStringLiteral("BEGIN"));
    locks.query(QStringLiteral("SELECT p.id FROM presets p JOIN users u ON u.id = p.user_id WHERE u.name = 'alice' "
                               "FOR UPDATE"));
    const QJsonObject change{{QStringLiteral("name"), QStringLiteral("Renamed")},
                             {QStringLiteral("instruction"), QStringLiteral("Say it again.")}};
    const QByteArray changeBody = QJsonDocument(change).toJson(QJsonDocument::Compact);
    const auto blocked = alice->start("PUT", QStringLiteral("/presets/%1").arg(presetId), changeBody);
    ASSERT_TRUE(spinUntil([&locks] { return locks.waitingForLocks() == 1; }));

    // One connection waits on the lock; the other one and the event loop keep answering.
    const HttpResult health = client().get(QStringLiteral("/health"));
    EXPECT_EQ(health.status, 200);
    const HttpResult others = bob->get(QStringLiteral("/presets"));
    EXPECT_EQ(others.status, 200);
    EXPECT_EQ(others.json().array().size(), 4);
    EXPECT_FALSE(blocked->finished);

    // With every connection waiting on the lock, the health check gives up after its time-out.
    const auto alsoBlocked = alice->start("PUT", QStringLiteral("/presets/%1").arg(presetId), changeBody);
    ASSERT_TRUE(spinUntil([&locks] { return locks.waitingForLocks() == kConnections; }));
    const auto unhealthy = client().start("GET", QStringLiteral("/health"));
    ASSERT_TRUE(spinUntil([this] { return server().server().api().pendingRequests() == kConnections + 1; }));
    EXPECT_FALSE(unhealthy->finished);
    advance(2);
    ASSERT_TRUE(HttpTestClient::wait(unhealthy));
    EXPECT_EQ(unhealthy->result.status, 503);
    EXPECT_EQ(unhealthy->result.json().object().value(QLatin1String("database")).toString(),
              QStringLiteral("unreachable"));

    // Once the lock goes, the held requests finish in order and the database counts as up again.
    locks.query(QStringLiteral("COMMIT"));
    ASSERT_TRUE(HttpTestClient::wait(blocked));
    ASSERT_TRUE(HttpTestClient::wait(alsoBlocked));
    EXPECT_EQ(blocked->result.status, 200);
    EXPECT_EQ(alsoBlocked->result.status, 200);
    EXPECT_EQ(client().get(QStringLiteral("/health")).status, 200);
}

TEST_F(StorePoolTest, HealthIs503WhileTheDatabaseIsDownAnd200OnceItIsBack)
{
    EXPECT_EQ(client().get(QStringLiteral("/health")).status, 200);
    TemporaryPostgres& postgres = TemporaryPostgres::shared();
    ASSERT_TRUE(postgres.halt()) << postgres.problem().toStdString();
    const HttpResult down = client().get(QStringLiteral("/health"));
    EXPECT_EQ(down.status, 503);
    EXPECT_EQ(down.json().object().value(QLatin1String("status")).toString(), QStringLiteral("unavailable"));
    HttpTestClient root(server().origin().toString());
    EXPECT_TRUE(root.get(QStringLiteral("/metrics")).body.contains("quillora_database_up 0"));

    ASSERT_TRUE(postgres.resume()) << postgres.problem().toStdString();
    EXPECT_EQ(client().get(QStringLiteral("/health")).status, 200);
    EXPECT_TRUE(root.get(QStringLiteral("/metrics")).body.contains("quillora_database_up 1"));
}

using SqliteStorePoolTest = test::ServerTest;

TEST_F(SqliteStorePoolTest, AWriteWaitingForTheFileLockHoldsUpNeitherReadsNorTheHealthCheck)
{
    ServerOptions options = TestServer::defaultOptions();
    options.databaseConnections = 2;
    startServer(options);
    const qint64 presetId =
        client().get(QStringLiteral("/presets")).json().array().at(0).toObject().value(QLatin1String("id")).toInteger();

    // Another process holds the file's write lock.
    constexpr auto kHolder = "sqlite-lock-holder";
    {
        QSqlDatabase holder = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kHolder);
        holder.setDatabaseName(server().databasePath());
        ASSERT_TRUE(holder.open());
        ASSERT_TRUE(QSqlQuery(holder).exec(QStringLiteral("BEGIN IMMEDIATE")));
    }
    const auto blocked = client().start("PUT", QStringLiteral("/presets/%1").arg(presetId),
                                        R"({"name":"Renamed","instruction":"Say it again."})");
    EXPECT_EQ(client().get(QStringLiteral("/health")).status, 200);
    const HttpResult listed = client().get(QStringLiteral("/presets"));
    EXPECT_EQ(listed.status, 200);
    EXPECT_FALSE(blocked->finished);

    QSqlQuery(QSqlDatabase::database(kHolder, false)).exec(QStringLiteral("ROLLBACK"));
    QSqlDatabase::database(kHolder, false).close();
    QSqlDatabase::removeDatabase(kHolder);
    ASSERT_TRUE(HttpTestClient::wait(blocked));
    EXPECT_EQ(blocked->result.status, 200) << blocked->result.body.toStdString();
    EXPECT_TRUE(client().get(QStringLiteral("/presets")).body.contains("Renamed"));
}

// Requests still waiting for the database when the service is destroyed are resumed as it closes
// its connections: they must neither reach the engine it is about to destroy nor crash.
TEST_F(SqliteStorePoolTest, RequestsWaitingForTheDatabaseWhenTheServiceGoesAreEndedSafely)
{
    startServer(TestServer::defaultOptions());
    // The lone connection stays busy until the service goes; a health check and a polishing
    // queue behind it.
    auto running = std::make_shared<std::atomic_bool>(false);
    auto busy = std::make_shared<std::binary_semaphore>(0);
    runDetached(server().server().pool().run([running, busy](Store&) {
        *running = true;
        busy->acquire();
        return true;
    }));
    // Queued before the job ran, the health check would go ahead of it.
    ASSERT_TRUE(test::spinUntil([&running] { return running->load(); }));
    const auto health = client().start("GET", QStringLiteral("/health"));
    const auto polish = client().start("POST", QStringLiteral("/polish"), R"({"text":"i think its fine"})");
    const bool queued = test::spinUntil([this] { return server().server().api().pendingRequests() == 2; });
    // Released whatever happened: the service cannot close while the job holds its connection.
    busy->release();
    ASSERT_TRUE(queued);
    destroyServer();
    EXPECT_TRUE(HttpTestClient::wait(health));
    ASSERT_TRUE(HttpTestClient::wait(polish));
    EXPECT_NE(polish->result.status, 200) << polish->result.body.toStdString();
}

} // namespace
} // namespace quillora
