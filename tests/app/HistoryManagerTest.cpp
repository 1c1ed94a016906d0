#include "app/HistoryManager.h"
#include "app/HistoryItem.h"
#include "core/JsonDecodingError.h"
#include "support/EventLoopWait.h"
#include "support/FileContent.h"
#include "support/SimDesktopTest.h"
#include "support/Thrown.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLockFile>
#include <QProcess>

#include <csignal>
#include <sys/resource.h>

namespace quillora {
namespace {

class HistoryManagerTest : public SimDesktopTest
{
protected:
    QString folder() { return QDir(desktop().appDataFolder().path()).filePath(QStringLiteral("com.tessel.quillora")); }
    QString filePath() { return folder() + QStringLiteral("/history.json"); }

    // A log id above 2^53 would lose its last digits if the file stored it as a double.
    static QList<PolishedResult> results(const QString& text)
    {
        return {PolishedResult(QStringLiteral("Professional"), text, (Q_INT64_C(1) << 60) + 1),
                PolishedResult(QStringLiteral("Casual"), text)};
    }
};

TEST_F(HistoryManagerTest, FirstStartMakesOnlyTheFolderThenEntriesGoFirstAndTheListStopsAtOneHundred)
{
    HistoryManager history;
    EXPECT_TRUE(history.items().isEmpty());
    EXPECT_TRUE(QFileInfo(folder()).isDir());
    EXPECT_FALSE(QFile::exists(filePath()));
    EXPECT_EQ(history.historyURL(), filePath());
    for (int i = 0; i < 101; ++i) {
        history.addEntry(QStringLiteral("text %1").arg(i), results(QStringLiteral("v%1").arg(i)), QStringLiteral("m"),
                         0.5);
        advance(1);
    }
    ASSERT_EQ(history.items().size(), HistoryManager::maximumItems);
    EXPECT_EQ(history.items().first().originalText, QStringLiteral("text 100"));
    EXPECT_EQ(history.items().last().originalText, QStringLiteral("text 1"));

    HistoryManager reloaded;
    ASSERT_EQ(reloaded.items().size(), 100);
    for (qsizetype i = 0; i < 100; ++i) {
        EXPECT_EQ(reloaded.items()[i].id, history.items()[i].id);
    }
    EXPECT_EQ(reloaded.items().first().polishedResults, history.items().first().polishedResults);
    EXPECT_EQ(reloaded.items().first().timestamp, history.items().first().timestamp);
    EXPECT_EQ(reloaded.items().first().modelUsed, QStringLiteral("m"));
    EXPECT_EQ(reloaded.items().first().responseTime, 0.5);
}

TEST_F(HistoryManagerTest, UnreadableFilesAreReportedAndEachIsKeptAsideUnderItsOwnName)
{
    // One bad entry makes the whole list unreadable.
    const QByteArray damaged =
        "[" + QJsonDocument(HistoryItem(QStringLiteral("good"), {}).toJson()).toJson() + R"(, {"id": 1}])";
    const auto error = test::thrown<JsonDecodingError>([&] { (void)HistoryManager::decodeHistory(damaged); });
    EXPECT_EQ(error ? error->codingPath() : QString(), QStringLiteral("[1].id"));
    ASSERT_TRUE(test::writeFile(filePath(), damaged));
    HistoryManager history;
    EXPECT_TRUE(history.items().isEmpty());
    ASSERT_TRUE(history.lastError());
    EXPECT_TRUE(history.lastError()->startsWith(QStringLiteral("The history could not be read: ")));
    EXPECT_EQ(test::readFile(filePath()), damaged);

    history.addEntry(QStringLiteral("new"), results(QStringLiteral("n")), std::nullopt, std::nullopt);
    EXPECT_FALSE(history.lastError()) << "a save that worked clears the report";
    const QStringList asideFirst = QDir(folder()).entryList({QStringLiteral("history.json.corrupt-*")});
    ASSERT_EQ(asideFirst.size(), 1);
    EXPECT_EQ(test::readFile(folder() + u'/' + asideFirst.first()), damaged);
    ASSERT_TRUE(history.notice()) << "the window says where the unreadable history went";
    EXPECT_TRUE(history.notice()->contains(asideFirst.first()));
    const QList<HistoryItem> saved = HistoryManager::decodeHistory(test::readFile(filePath()));
    ASSERT_EQ(saved.size(), 1);
    EXPECT_EQ(saved.first().originalText, QStringLiteral("new"));

    // A second damaged file, in the same second: its copy does not replace the first one's.
    const QByteArray damagedAgain = "not json at all";
    ASSERT_TRUE(test::writeFile(filePath(), damagedAgain));
    HistoryManager again;
    again.addEntry(QStringLiteral("newer"), results(QStringLiteral("n")), std::nullopt, std::nullopt);
    const QStringList asideBoth = QDir(folder()).entryList({QStringLiteral("history.json.corrupt-*")});
    ASSERT_EQ(asideBoth.size(), 2);
    EXPECT_EQ(test::readFile(folder() + u'/' + asideFirst.first()), damaged);
    EXPECT_EQ(test::readFile(folder() + u'/' + asideBoth.last()), damagedAgain);
}

TEST_F(HistoryManagerTest, SavesArePrivateAndRemoveWhatAKilledWriterLeftBehind)
{
    const QString leftover = filePath() + QStringLiteral(".0badf00d.tmp");
    ASSERT_TRUE(test::writeFile(leftover));

    HistoryManager history;
    history.addEntry(QStringLiteral("private"), results(QStringLiteral("p")), std::nullopt, std::nullopt);
    EXPECT_FALSE(QFile::exists(leftover));
    EXPECT_EQ(QFile::permissions(filePath()) & ~(QFile::ReadUser | QFile::WriteUser),
              QFile::ReadOwner | QFile::WriteOwner)
        << "only the owner may read or write the history";
    EXPECT_EQ(QDir(folder()).entryList(QDir::Files), QStringList{QStringLiteral("history.json")});
}

TEST_F(HistoryManagerTest, FailedSavesAreReportedAndLeaveThePreviousFileWhole)
{
    HistoryManager history;
    history.addEntry(QStringLiteral("small"), results(QStringLiteral("s")), std::nullopt, std::nullopt);
    const QByteArray before = test::readFile(filePath());

    // A file-size limit below the new content makes the write fail part-way, as a full disk would.
    rlimit original{};
    getrlimit(RLIMIT_FSIZE, &original);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = original;
    limited.rlim_cur = static_cast<rlim_t>(before.size() + 64);
    setrlimit(RLIMIT_FSIZE, &limited);
    history.addEntry(QStringLiteral("large"), results(QString(4096, u'x')), std::nullopt, std::nullopt);
    setrlimit(RLIMIT_FSIZE, &original);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(test::readFile(filePath()), before);
    EXPECT_EQ(history.items().size(), 2);
    ASSERT_TRUE(history.lastError());
    EXPECT_TRUE(history.lastError()->startsWith(QStringLiteral("The history could not be saved: ")));
    EXPECT_EQ(QDir(folder()).entryList(QDir::Files), QStringList{QStringLiteral("history.json")});

    // A file where the data folder belongs keeps the history's folder from being made.
    const QString blocker = desktop().appDataFolder().path() + QStringLiteral("/blocked");
    ASSERT_TRUE(test::writeFile(blocker));
    desktop().appDataFolder().setPath(blocker);
    HistoryManager blocked;
    blocked.addEntry(QStringLiteral("text"), results(QStringLiteral("t")), std::nullopt, std::nullopt);
    EXPECT_EQ(blocked.items().size(), 1);
    // Said as what failed, not as a lock some other program holds.
    ASSERT_TRUE(blocked.lastError());
    EXPECT_TRUE(blocked.lastError()->contains(blocker)) << blocked.lastError()->toStdString();
    EXPECT_FALSE(blocked.lastError()->contains(QStringLiteral("another program")));

    desktop().appDataFolder().setPath(QString());
    HistoryManager nowhere;
    nowhere.addEntry(QStringLiteral("text"), results(QStringLiteral("t")), std::nullopt, std::nullopt);
    EXPECT_FALSE(nowhere.historyURL().has_value());
}

TEST_F(HistoryManagerTest, AHeldLockKeepsChangesInMemorySaysSoAndSavesThemOnceItFrees)
{
    HistoryManager history;
    history.addEntry(QStringLiteral("before"), results(QStringLiteral("b")), std::nullopt, std::nullopt);
    QLockFile other(filePath() + QStringLiteral(".lock"));
    ASSERT_TRUE(other.tryLock(0));

    history.addEntry(QStringLiteral("while locked"), results(QStringLiteral("w")), std::nullopt, std::nullopt);
    history.addEntry(QStringLiteral("still locked"), results(QStringLiteral("s")), std::nullopt, std::nullopt);
    EXPECT_EQ(history.items().size(), 3);
    EXPECT_TRUE(history.hasUnsavedChanges());
    EXPECT_FALSE(history.lastError()) << "a late save is not a failed one";
    ASSERT_TRUE(history.notice());
    EXPECT_TRUE(history.notice()->contains(QStringLiteral("locked")));
    advance(HistoryManager::lockRetryInterval * 4);
    EXPECT_EQ(HistoryManager::decodeHistory(test::readFile(filePath())).size(), 1);

    // Another program saved an entry of its own meanwhile: both survive.
    QList<HistoryItem> theirs = HistoryManager::decodeHistory(test::readFile(filePath()));
    theirs.prepend(HistoryItem(QStringLiteral("from elsewhere"), {}));
    ASSERT_TRUE(test::writeFile(filePath(), HistoryManager::encodeHistory(theirs)));
    other.unlock();
    advance(HistoryManager::lockRetryInterval);

    const QList<HistoryItem> saved = HistoryManager::decodeHistory(test::readFile(filePath()));
    QStringList texts;
    for (const HistoryItem& item : saved) {
        texts << item.originalText;
    }
    EXPECT_EQ(texts, (QStringList{QStringLiteral("still locked"), QStringLiteral("while locked"),
                                  QStringLiteral("from elsewhere"), QStringLiteral("before")}));
    EXPECT_EQ(history.items().size(), 4);
    EXPECT_FALSE(history.notice());
    EXPECT_FALSE(history.hasUnsavedChanges());
}

// Run only as the second process of the test below: adds one entry to the history in the folder
// it is given, as quilloractl polish does, and ends.
TEST_F(HistoryManagerTest, SecondProcessAddsOneEntry)
{
    const QString folder = qEnvironmentVariable("QUILLORA_TEST_HISTORY_WRITER");
    if (folder.isEmpty()) {
        GTEST_SKIP() << "runs only as a second process";
    }
    desktop().appDataFolder().setPath(folder);
    HistoryManager commandLine;
    commandLine.addEntry(QStringLiteral("from another process"), results(QStringLiteral("p")), std::nullopt,
                         std::nullopt);
    commandLine.finishPendingSave();
}

TEST_F(HistoryManagerTest, EntriesAnotherWriterSavesAppearWhileTheListIsOpen)
{
    HistoryManager window;
    int changes = 0;
    QObject::connect(&window, &HistoryManager::itemsChanged, [&changes] { ++changes; });

    // Another process (as quilloractl is) adds an entry while the list is open.
    QProcess writer;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QUILLORA_TEST_HISTORY_WRITER"), desktop().appDataFolder().path());
    writer.setProcessEnvironment(environment);
    writer.start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--gtest_filter=HistoryManagerTest.SecondProcessAddsOneEntry")});
    ASSERT_TRUE(writer.waitForFinished(30000));
    ASSERT_EQ(writer.exitCode(), 0) << writer.readAllStandardOutput().toStdString();
    ASSERT_TRUE(test::waitUntil([&] {
        return !window.items().isEmpty() &&
               window.items().first().originalText == QLatin1String("from another process");
    }));

    // And one in this process through a second manager, as the window's own program would.
    HistoryManager commandLine;
    const QString text = QStringLiteral("second one");
    commandLine.addEntry(text, results(QStringLiteral("c")), std::nullopt, std::nullopt);
    ASSERT_TRUE(test::waitUntil([&] { return window.items().first().originalText == text; }));
    EXPECT_EQ(window.items().size(), 2);
    EXPECT_GE(changes, 2);
}

} // namespace
} // namespace quillora
