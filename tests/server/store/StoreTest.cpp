// The store's behaviour, the same on SQLite and on a real PostgreSQL server.
#include "TemporaryPostgres.h"

#include "core/PresetRules.h"
#include "server/ServerError.h"
#include "server/store/Store.h"
#include "server/store/StoreMigrations.h"

#include "support/QtPrinters.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <latch>
#include <thread>
#include <vector>

#include <sys/stat.h>

namespace quillora {

void PrintTo(const StoredPreset& preset, std::ostream* os)
{
    *os << preset.id << ":" << preset.name.toStdString();
}

namespace {

enum class Backend {
    Sqlite,
    Postgres,
};

TokenRecord token(const char* text, qint64 expiresAt)
{
    return {QCryptographicHash::hash(text, QCryptographicHash::Sha256), expiresAt};
}

class StoreTest : public ::testing::TestWithParam<Backend>
{
protected:
    void SetUp() override
    {
        if (GetParam() == Backend::Sqlite) {
            m_address = m_folder.filePath(QStringLiteral("store.sqlite"));
            return;
        }
        test::TemporaryPostgres& postgres = test::TemporaryPostgres::shared();
        if (!postgres.isInstalled()) {
            GTEST_SKIP() << postgres.problem().toStdString();
        }
        ASSERT_TRUE(postgres.isRunning()) << postgres.problem().toStdString();
        m_address = postgres.createDatabase();
        ASSERT_FALSE(m_address.isEmpty()) << postgres.problem().toStdString();
    }

    std::unique_ptr<Store> open() { return std::make_unique<Store>(DatabaseAddress::parse(m_address)); }

    QTemporaryDir m_folder;
    QString m_address;
};

TEST_P(StoreTest, NewUsersStartWithTheBuiltInPresetsInOrder)
{
    auto store = open();
    const qint64 local = store->ensureUser(QStringLiteral("local"), 100);
    EXPECT_EQ(store->ensureUser(QStringLiteral("local"), 200), local);
    const QList<StoredPreset> presets = store->presets(local);
    ASSERT_EQ(presets.size(), 4);
    for (qsizetype i = 0; i < presets.size(); ++i) {
        EXPECT_EQ(presets.at(i).name, PresetRules::builtInPresets().at(i).name);
    }
    const qint64 other = store->createUser(QStringLiteral("other"), 100);
    EXPECT_NE(other, local);
    EXPECT_EQ(store->presets(other).size(), 4);
    EXPECT_NE(store->presets(other).first().id, presets.first().id);
    try {
        (void)store->createUser(QStringLiteral("other"), 100);
        ADD_FAILURE() << "a second user with the same name was created";
    } catch (const ServerError& error) {
        EXPECT_EQ(error.kind(), ServerError::Kind::Conflict);
    }
}

TEST_P(StoreTest, PresetWritesKeepTheOrderAndRefuseDuplicateNames)
{
    auto store = open();
    const qint64 user = store->ensureUser(QStringLiteral("u"), 1);
    const qint64 stranger = store->ensureUser(QStringLiteral("stranger"), 1);
    const PresetWrite added = store->addPreset(user, QStringLiteral("Pirate"), QStringLiteral("Arr."), 2);
    ASSERT_EQ(added.status, PresetWrite::Status::Done);
    EXPECT_EQ(store->presets(user).last(), added.preset);

    EXPECT_EQ(store->addPreset(user, QStringLiteral("PIRATE"), QStringLiteral("x"), 2).status,
              PresetWrite::Status::DuplicateName);
    EXPECT_EQ(store->addPreset(stranger, QStringLiteral("Pirate"), QStringLiteral("x"), 2).status,
              PresetWrite::Status::Done);
    const qint64 casualId = store->presets(user).at(1).id;
    EXPECT_EQ(store->updatePreset(user, casualId, QStringLiteral("pirate"), QStringLiteral("x"), 3).status,
              PresetWrite::Status::DuplicateName);
    // Changing only the case of a preset's own name is allowed.
    EXPECT_EQ(store->updatePreset(user, added.preset.id, QStringLiteral("PIRATE"), QStringLiteral("Yo ho."), 3).status,
              PresetWrite::Status::Done);
    EXPECT_EQ(store->updatePreset(stranger, added.preset.id, QStringLiteral("Mine"), QStringLiteral("x"), 3).status,
              PresetWrite::Status::NotFound);
    EXPECT_FALSE(store->deletePreset(stranger, added.preset.id));

    EXPECT_TRUE(store->deletePreset(user, casualId));
    EXPECT_FALSE(store->deletePreset(user, casualId));
    const QList<StoredPreset> presets = store->presets(user);
    QStringList names;
    for (const StoredPreset& preset : presets) {
        names.append(preset.name);
    }
    EXPECT_EQ(names, (QStringList{QStringLiteral("Professional"), QStringLiteral("Fix Grammar"),
                                  QStringLiteral("Concise"), QStringLiteral("PIRATE")}));
    // A new preset goes after the last one, even after deletions.
    ASSERT_EQ(store->addPreset(user, QStringLiteral("Last"), QStringLiteral("x"), 4).status, PresetWrite::Status::Done);
    store.reset();
    // Reopening keeps the rows and accepts the schema version it wrote.
    EXPECT_EQ(open()->presets(user).last().name, QStringLiteral("Last"));
}

TEST_P(StoreTest, RefreshTokensAreSpentOnceAndReuseEndsTheSession)
{
    auto store = open();
    const qint64 user = store->createUser(QStringLiteral("t"), 0);
    store->createSession(user, token("a1", 100), token("r1", 1000), 0);
    EXPECT_EQ(store->userForAccessToken(token("a1", 0).hash, 99), user);
    EXPECT_EQ(store->userForAccessToken(token("a1", 0).hash, 100), std::nullopt);
    EXPECT_EQ(store->userForAccessToken(token("r1", 0).hash, 50), std::nullopt);

    EXPECT_EQ(store->rotateRefreshToken(token("unknown", 0).hash, token("x", 1), token("y", 1), 10),
              RefreshOutcome::Unknown);
    EXPECT_EQ(store->rotateRefreshToken(token("r1", 0).hash, token("a2", 200), token("r2", 2000), 10),
              RefreshOutcome::Rotated);
    EXPECT_EQ(store->userForAccessToken(token("a1", 0).hash, 50), std::nullopt);
    EXPECT_EQ(store->userForAccessToken(token("a2", 0).hash, 50), user);

    EXPECT_EQ(store->rotateRefreshToken(token("r1", 0).hash, token("a3", 300), token("r3", 3000), 20),
              RefreshOutcome::Reused);
    EXPECT_EQ(store->userForAccessToken(token("a2", 0).hash, 50), std::nullopt);
    EXPECT_EQ(store->userForAccessToken(token("a3", 0).hash, 50), std::nullopt);
    EXPECT_EQ(store->rotateRefreshToken(token("r2", 0).hash, token("a4", 400), token("r4", 4000), 30),
              RefreshOutcome::Unknown);

    store->createSession(user, token("b1", 100), token("s1", 1000), 0);
    EXPECT_EQ(store->rotateRefreshToken(token("s1", 0).hash, token("b2", 2000), token("s2", 2000), 1000),
              RefreshOutcome::Expired);
    EXPECT_EQ(store->purgeExpiredTokens(1000), 4);
    EXPECT_EQ(store->rotateRefreshToken(token("s1", 0).hash, token("b2", 2000), token("s2", 2000), 1000),
              RefreshOutcome::Unknown);
}

TEST_P(StoreTest, PolishingsAndInteractionsBelongToTheirUser)
{
    auto store = open();
    const qint64 owner = store->createUser(QStringLiteral("owner"), 0);
    const qint64 stranger = store->createUser(QStringLiteral("stranger"), 0);
    const qint64 first = store->addPolishing({owner, 10, QStringLiteral("quillora-rules-1"), 0.002, 42, 4}).value_or(0);
    const qint64 second =
        store->addPolishing({owner, 11, QStringLiteral("quillora-rules-1"), 0.001, 12, 4}).value_or(0);
    EXPECT_GT(first, 0);
    EXPECT_GT(second, first);
    EXPECT_TRUE(store->addInteraction(owner, first, QStringLiteral("copy"), QStringLiteral("Casual"), 12).has_value());
    EXPECT_EQ(store->addInteraction(stranger, first, QStringLiteral("use"), QStringLiteral("Casual"), 12),
              std::nullopt);
    EXPECT_EQ(store->addInteraction(owner, second + 100, QStringLiteral("use"), QStringLiteral("Casual"), 12),
              std::nullopt);
}

TEST_P(StoreTest, PolishingsRecordedInParallelKeepToTheDailyLimit)
{
    constexpr int kLimit = 10;
    constexpr int kThreads = 10;
    constexpr int kPerThread = 5;
    constexpr qint64 kDay = 86400;
    const qint64 user = open()->createUser(QStringLiteral("busy"), 0);
    // Each thread records through a connection of its own, as the store pool's threads do.
    std::atomic<int> recorded{0};
    std::atomic<int> failed{0};
    std::vector<std::thread> threads;
    std::latch ready(kThreads);
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
            try {
                auto store = open();
                ready.arrive_and_wait();
                for (int i = 0; i < kPerThread; ++i) {
                    const PolishingRecord record{user, 5 * kDay + 100 + i, QStringLiteral("m"), 0.001, 10, 4};
                    recorded += store->addPolishing(record, kLimit).has_value() ? 1 : 0;
                }
            } catch (const ServerError&) {
                ++failed;
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(failed.load(), 0);
    EXPECT_EQ(recorded.load(), kLimit);
    auto store = open();
    EXPECT_EQ(store->polishingsOnDayOf(user, 5 * kDay + kDay - 1), kLimit);
    // The next UTC day starts afresh.
    EXPECT_TRUE(store->addPolishing({user, 6 * kDay, QStringLiteral("m"), 0.001, 10, 4}, kLimit).has_value());
    EXPECT_EQ(store->polishingsOnDayOf(user, 6 * kDay), 1);
}

INSTANTIATE_TEST_SUITE_P(Backends, StoreTest, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         [](const ::testing::TestParamInfo<Backend>& info) {
                             return info.param == Backend::Sqlite ? "Sqlite" : "Postgres";
                         });

TEST(PostgresStoreTest, ALostConnectionIsOpenedAgain)
{
    test::TemporaryPostgres& postgres = test::TemporaryPostgres::shared();
    if (!postgres.isInstalled()) {
        GTEST_SKIP() << postgres.problem().toStdString();
    }
    const QString address = postgres.createDatabase();
    ASSERT_FALSE(address.isEmpty()) << postgres.problem().toStdString();
    Store store(DatabaseAddress::parse(address));
    const qint64 user = store.ensureUser(QStringLiteral("survivor"), 0);
    ASSERT_TRUE(postgres.restart()) << postgres.problem().toStdString();
    EXPECT_EQ(store.presets(user).size(), 4);
    EXPECT_EQ(store.addPreset(user, QStringLiteral("After"), QStringLiteral("x"), 1).status, PresetWrite::Status::Done);
}

TEST(SqliteStoreTest, AFileThatIsNoDatabaseOrNewerThanTheServerIsAStorageErrorNamingIt)
{
    QTemporaryDir folder;
    const QString garbage = folder.filePath(QStringLiteral("garbage.sqlite"));
    QFile file(garbage);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    file.close();
    const QString future = folder.filePath(QStringLiteral("future.sqlite"));
    (void)Store(DatabaseAddress::parse(future));
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("future"));
        database.setDatabaseName(future);
        database.open();
        QSqlQuery(QStringLiteral("INSERT INTO schema_version (version) VALUES (%1)")
                      .arg(StoreMigrations::latestVersion() + 1),
                  database);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("future"));
    for (const QString& path : {garbage, future}) {
        try {
            Store store(DatabaseAddress::parse(path));
            ADD_FAILURE() << path.toStdString() << " was opened";
        } catch (const ServerError& error) {
            EXPECT_EQ(error.kind(), ServerError::Kind::Storage);
            EXPECT_TRUE(error.localizedDescription().contains(path)) << error.localizedDescription().toStdString();
        }
    }
}

TEST(SqliteStoreTest, TheDatabaseItsWalFilesAndTheFoldersMadeForThemAreTheOwnersOnly)
{
    constexpr QFileDevice::Permissions groupOrOthers = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                                       QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                                       QFileDevice::WriteOther | QFileDevice::ExeOther;
    // A lenient umask, as many services run with; a new file and one an older version left
    // world-readable both end up owner-only, with the WAL files that writing creates, and so do
    // the folders made for a new one (the data home's own folder and the one below it).
    const mode_t previousMask = umask(022);
    for (const bool preExisting : {false, true}) {
        SCOPED_TRACE(preExisting ? "pre-existing file" : "new file");
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("share/com.tessel.quillora/server.sqlite"));
        if (preExisting) {
            ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
            EXPECT_GT(Store(DatabaseAddress::parse(path)).ensureUser(QStringLiteral("old"), 0), 0);
            QFile(path).setPermissions(QFile(path).permissions() | QFileDevice::ReadOther | QFileDevice::ReadGroup);
        }
        Store store(DatabaseAddress::parse(path));
        EXPECT_GT(store.ensureUser(QStringLiteral("new"), 0), 0);
        for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")}) {
            ASSERT_TRUE(QFile::exists(path + suffix)) << suffix.toStdString();
            EXPECT_EQ(QFile(path + suffix).permissions() & groupOrOthers, QFileDevice::Permissions())
                << suffix.toStdString();
        }
        if (!preExisting) {
            for (const QString& made : {folder.filePath(QStringLiteral("share")), QFileInfo(path).path()}) {
                EXPECT_EQ(QFile(made).permissions() & groupOrOthers, QFileDevice::Permissions()) << made.toStdString();
            }
        }
    }
    umask(previousMask);
}

} // namespace
} // namespace quillora
