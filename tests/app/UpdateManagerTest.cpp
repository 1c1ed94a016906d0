#include "app/UpdateManager.h"
#include "support/SimDesktopTest.h"

#include <QCoreApplication>
#include <QThread>

namespace quillora {
namespace {

class UpdateManagerTest : public SimDesktopTest
{
protected:
    static void deliver(UpdateManager& manager) { QCoreApplication::sendPostedEvents(&manager, QEvent::MetaCall); }

    void announce(UpdateManager& manager, const QString& version)
    {
        manager.notify(version, QUrl(QStringLiteral("https://example.com/download")));
        deliver(manager);
    }

    void standAt(int day, int hour, int minute)
    {
        clock().setWallNow(QDateTime(QDate(2026, 3, day), QTime(hour, minute), Qt::LocalTime));
    }
};

TEST_F(UpdateManagerTest, OnlyNewerVersionsShowComparingNumbersByValue)
{
    const struct
    {
        const char* running;
        const char* announced;
        bool shows;
    } cases[] = {
        {"1.9", "1.10", true}, {"2.0", "2.0", false},      {"2.0", "1.9", false},    {"", "0.1", true},
        {"", "0.0.0", false},  {"1.2.3", "1.2.10", true},  {"1.10", "1.9.9", false}, {"1.0.0", "1.0.0-beta", true},
        {"01.2", "1.3", true}, {"2.0.1", "2.0.01", false},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(std::string(testCase.running) + " -> " + testCase.announced);
        UpdateManager manager(desktop().userDefaults(), QString::fromLatin1(testCase.running));
        EXPECT_FALSE(manager.shouldShowBanner());
        announce(manager, QString::fromLatin1(testCase.announced));
        EXPECT_EQ(manager.shouldShowBanner(), testCase.shows);
    }
    EXPECT_TRUE(desktop().userDefaults().keys().isEmpty());
}

TEST_F(UpdateManagerTest, AnnouncementsAreQueuedToTheManagersThreadFromAnyThread)
{
    UpdateManager manager(desktop().userDefaults(), QStringLiteral("1.0"));
    manager.notify(QStringLiteral("1.1"), QUrl(QStringLiteral("https://example.com/a")));
    EXPECT_FALSE(manager.latestVersion().has_value());
    deliver(manager);
    EXPECT_EQ(manager.latestVersion(), QStringLiteral("1.1"));

    QThread* worker = QThread::create(
        [&manager] { manager.notify(QStringLiteral("1.2"), QUrl(QStringLiteral("https://example.com/b"))); });
    worker->start();
    worker->wait();
    delete worker;
    EXPECT_EQ(manager.latestVersion(), QStringLiteral("1.1"));
    deliver(manager);
    EXPECT_EQ(manager.latestVersion(), QStringLiteral("1.2"));
    EXPECT_EQ(manager.updateURL(), QUrl(QStringLiteral("https://example.com/b")));
}

TEST_F(UpdateManagerTest, LaterHidesTheSameVersionForTheRestOfTheDayOnly)
{
    UpdateManager manager(desktop().userDefaults(), QStringLiteral("2.0"));
    manager.dismiss();
    EXPECT_TRUE(desktop().userDefaults().keys().isEmpty());
    standAt(10, 23, 59);
    announce(manager, QStringLiteral("2.1"));
    ASSERT_TRUE(manager.shouldShowBanner());
    manager.dismiss();
    EXPECT_FALSE(manager.latestVersion().has_value());
    EXPECT_FALSE(manager.updateURL().has_value());
    EXPECT_EQ(desktop().userDefaults().string(QStringLiteral("lastNotifiedVersion")), QStringLiteral("2.1"));

    advance(30);
    announce(manager, QStringLiteral("2.1"));
    EXPECT_FALSE(manager.shouldShowBanner());

    announce(manager, QStringLiteral("2.2"));
    EXPECT_TRUE(manager.shouldShowBanner());

    announce(manager, QStringLiteral("2.1"));
    standAt(11, 0, 1);
    EXPECT_TRUE(manager.shouldShowBanner());
}

} // namespace
} // namespace quillora
