#include "ShellFixture.h"
#include "support/FileContent.h"

#include "app/PermissionGate.h"
#include "ui/ContentView.h"
#include "ui/EmptyStateView.h"
#include "ui/GateBanner.h"
#include "ui/HistoryCardView.h"
#include "ui/MainWindow.h"
#include "ui/TrackingControlGroup.h"
#include "ui/UpdateBanner.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

namespace quillora {
namespace {

class MainWindowTest : public ShellFixture
{
protected:
    void TearDown() override
    {
        m_window.reset();
        ShellFixture::TearDown();
    }

    MainWindow& openWindow()
    {
        m_window = std::make_unique<MainWindow>(services());
        m_window->show();
        return *m_window;
    }

    bool shown(const QString& name) const { return find(*m_window, name).isVisibleTo(m_window.get()); }

    void search(const QString& text) { find<QLineEdit>(*m_window, QStringLiteral("search-field")).setText(text); }

    QStringList shownOriginals() const
    {
        QStringList originals;
        for (const HistoryCardView* card : m_window->content().cards()) {
            originals.append(card->item().originalText);
        }
        return originals;
    }

    std::unique_ptr<MainWindow> m_window;
};

TEST_F(MainWindowTest, WarningGivesWayToTheGrantedNoticeWithinASecondOfTrustAndTrackingStartsWithoutARestart)
{
    desktop().accessibility().setTrusted(false);
    MainWindow& window = openWindow();
    EXPECT_TRUE(shown(QStringLiteral("permission-warning")));
    EXPECT_FALSE(shown(QStringLiteral("access-granted")));
    EXPECT_FALSE(tracker().isTracking());

    desktop().accessibility().setTrusted(true);
    advance(0.9);
    EXPECT_TRUE(shown(QStringLiteral("permission-warning")));
    advance(0.1);
    EXPECT_FALSE(shown(QStringLiteral("permission-warning")));
    EXPECT_TRUE(shown(QStringLiteral("access-granted")));
    EXPECT_TRUE(tracker().isTracking());

    // Losing trust shows the warning again without stopping the tracker; its return, the notice.
    desktop().accessibility().setTrusted(false);
    advance(1);
    EXPECT_TRUE(shown(QStringLiteral("permission-warning")));
    EXPECT_TRUE(tracker().isTracking());
    desktop().accessibility().setTrusted(true);
    click(window, QStringLiteral("check-permissions-btn"));
    EXPECT_TRUE(shown(QStringLiteral("access-granted")));

    int restarts = 0;
    QObject::connect(&window.gate(), &PermissionGate::restartRequested, &window, [&restarts] { ++restarts; });
    click(window, QStringLiteral("restart-now-btn"));
    EXPECT_EQ(restarts, 1);
}

TEST_F(MainWindowTest, OneBannerSaysWhatIsMissingAndOnceAccessIsOnWhichApplicationsToRestart)
{
    desktop().accessibility().setTrusted(false);
    MainWindow& window = openWindow();
    // Beside the warning no "Paused" and "Resume" that the user never chose.
    QCoreApplication::sendPostedEvents();
    EXPECT_FALSE(shown(QStringLiteral("tracking-controls")));

    const QString refusal = QStringLiteral("Accessibility could not be turned on: no accessibility bus answers.");
    desktop().accessibility().setSettingsAnswer(refusal, false);
    click(window, QStringLiteral("open-settings-btn"));
    EXPECT_TRUE(shown(QStringLiteral("permission-warning")));
    EXPECT_EQ(find<GateBanner>(window, QStringLiteral("permission-warning")).detail(), refusal);

    // Turned on for the session: the granted notice shows at once, with the applications to restart.
    desktop().accessibility().setSettingsAnswer(
        QStringLiteral("Restart these applications so that Quillora can read their text: Mousepad."), true);
    click(window, QStringLiteral("open-settings-btn"));
    EXPECT_FALSE(shown(QStringLiteral("permission-warning")));
    EXPECT_TRUE(shown(QStringLiteral("access-granted")));
    EXPECT_TRUE(
        find<GateBanner>(window, QStringLiteral("access-granted")).detail().contains(QStringLiteral("Mousepad")));
    // The toolbar lays out its widgets on a posted event.
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(shown(QStringLiteral("tracking-controls")));
    EXPECT_EQ(window.trackingControls().statusText(), QStringLiteral("Active"));
}

TEST_F(MainWindowTest, ChecksRunOnlyWhileTheWindowIsShown)
{
    desktop().accessibility().setTrusted(false);
    MainWindow& window = openWindow();
    EXPECT_TRUE(window.gate().isChecking());
    window.hide();
    EXPECT_FALSE(window.gate().isChecking());
    EXPECT_EQ(clock().pendingTimers(), 0);
    desktop().accessibility().setTrusted(true);
    advance(5);
    EXPECT_FALSE(tracker().isTracking());
    window.show();
    EXPECT_TRUE(tracker().isTracking());
}

TEST_F(MainWindowTest, TrustedAtLaunchShowsNoBannerAndTracksAndAPauseSurvivesARelaunchUntilResume)
{
    desktop().accessibility().setTrusted(true);
    MainWindow& window = openWindow();
    EXPECT_FALSE(shown(QStringLiteral("permission-warning")));
    EXPECT_FALSE(shown(QStringLiteral("access-granted")));
    EXPECT_TRUE(tracker().isTracking());
    EXPECT_EQ(window.trackingControls().statusText(), QStringLiteral("Active"));
    QToolButton& toggle = find<QToolButton>(window, QStringLiteral("tracking-toggle-btn"));
    EXPECT_EQ(toggle.text(), QStringLiteral("Stop"));
    toggle.click();
    EXPECT_EQ(window.trackingControls().statusText(), QStringLiteral("Paused"));
    EXPECT_EQ(toggle.text(), QStringLiteral("Resume"));

    m_window.reset();
    makeTracker();
    MainWindow& relaunched = openWindow();
    advance(3);
    EXPECT_FALSE(shown(QStringLiteral("permission-warning")));
    EXPECT_FALSE(tracker().isTracking());
    EXPECT_EQ(relaunched.trackingControls().statusText(), QStringLiteral("Paused"));
    click(relaunched, QStringLiteral("tracking-toggle-btn"));
    EXPECT_TRUE(tracker().isTracking());
    EXPECT_EQ(find<QToolButton>(relaunched, QStringLiteral("tracking-toggle-btn")).accessibleName(),
              QStringLiteral("Stop"));
}

TEST_F(MainWindowTest, SearchFindsOriginalsAndVariationsIgnoringCaseButNotPresetNamesAndTheEmptyStateSaysWhy)
{
    MainWindow& window = openWindow();
    auto& empty = find<EmptyStateView>(window, QStringLiteral("history-empty-state"));
    EXPECT_TRUE(shown(QStringLiteral("history-empty-state")));
    const QString noHistory = empty.title();
    search(QStringLiteral("x"));
    EXPECT_NE(empty.title(), noHistory) << "an empty search says nothing matches, not that there is no history";

    history().addEntry(QStringLiteral("meeting notes for friday"),
                       {PolishedResult(QStringLiteral("Professional"), QStringLiteral("Agenda attached."))},
                       std::nullopt, std::nullopt);
    history().addEntry(QStringLiteral("hey there"),
                       {PolishedResult(QStringLiteral("Casual"), QStringLiteral("Straße is closed today"))},
                       std::nullopt, std::nullopt);
    EXPECT_TRUE(shown(QStringLiteral("history-empty-state"))) << "new entries that do not match keep it";
    struct Case
    {
        QString search;
        QStringList expected;
    };
    const QList<Case> cases = {
        {QString(), {QStringLiteral("hey there"), QStringLiteral("meeting notes for friday")}},
        {QStringLiteral("MEETING"), {QStringLiteral("meeting notes for friday")}},
        {QStringLiteral("agenda"), {QStringLiteral("meeting notes for friday")}},
        {QStringLiteral("STRASSE"), {QStringLiteral("hey there")}},
        {QStringLiteral("Professional"), {}},
        {QStringLiteral("casual"), {}},
        {QStringLiteral(" "), {QStringLiteral("hey there"), QStringLiteral("meeting notes for friday")}},
    };
    for (const Case& testCase : cases) {
        SCOPED_TRACE(testCase.search.toStdString());
        search(testCase.search);
        EXPECT_EQ(shownOriginals(), testCase.expected);
        EXPECT_EQ(shown(QStringLiteral("history-empty-state")), testCase.expected.isEmpty());
    }
}

TEST_F(MainWindowTest, ClearHistoryWritesTheEmptyFileAndAHistoryThatCannotBeSavedIsSaidAboveTheList)
{
    MainWindow& window = openWindow();
    const QString path = *history().historyURL();
    ASSERT_FALSE(QFile::exists(path));
    click(window, QStringLiteral("clear-history-btn"));
    EXPECT_EQ(test::readFile(path), QByteArray("[]")) << "written even when the list is empty";
    EXPECT_FALSE(shown(QStringLiteral("history-error")));

    // A directory where the history file should be: the save fails.
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QDir().mkpath(path));
    history().addEntry(QStringLiteral("kept in memory"),
                       {PolishedResult(QStringLiteral("Casual"), QStringLiteral("hi"))}, std::nullopt, std::nullopt);
    ASSERT_TRUE(shown(QStringLiteral("history-error")));
    EXPECT_TRUE(find<QLabel>(window, QStringLiteral("history-error"))
                    .text()
                    .startsWith(QStringLiteral("The history could not be saved: ")));
    EXPECT_EQ(window.content().cards().size(), 1) << "the entry still shows";

    QDir(path).removeRecursively();
    history().clearHistory();
    EXPECT_FALSE(shown(QStringLiteral("history-error")));
}

TEST_F(MainWindowTest, CardButtonsCopyAndPasteTheirText)
{
    history().addEntry(QStringLiteral("original words"),
                       {PolishedResult(QStringLiteral("Concise"), QStringLiteral("Short words."))}, std::nullopt,
                       std::nullopt);
    MainWindow& window = openWindow();
    const HistoryCardView& card = *window.content().cards().first();
    click(card, QStringLiteral("copy-original-btn"));
    EXPECT_EQ(desktop().pasteboard().string(), QStringLiteral("original words"));
    click(card, QStringLiteral("copy-result-btn"));
    EXPECT_EQ(desktop().pasteboard().string(), QStringLiteral("Short words."));

    SimApp& editor = desktop().addApp(
        SimAppSetup{QStringLiteral("TextEdit"), std::nullopt, QStringLiteral("old"), AXRange{0, 3}, true});
    desktop().pasteboard().setString(QStringLiteral("other"));
    click(card, QStringLiteral("paste-result-btn"));
    advance(PasteService::pasteDelay);
    EXPECT_EQ(editor.text(), QStringLiteral("Short words."));
}

TEST_F(MainWindowTest, UpdateBannerShowsANewerVersionUntilLater)
{
    MainWindow& window = openWindow();
    EXPECT_FALSE(shown(QStringLiteral("update-banner")));
    updates().notify(QStringLiteral("1.10"), QUrl(QStringLiteral("https://example.com/download")));
    QCoreApplication::sendPostedEvents(&updates(), QEvent::MetaCall);
    ASSERT_TRUE(shown(QStringLiteral("update-banner")));
    EXPECT_EQ(find<UpdateBanner>(window, QStringLiteral("update-banner")).message(),
              QStringLiteral("New Version Available: v1.10"));

    click(window, QStringLiteral("update-now-btn"));
    EXPECT_EQ(desktop().workspace().openedURLs(), QList<QUrl>{QUrl(QStringLiteral("https://example.com/download"))});
    EXPECT_TRUE(shown(QStringLiteral("update-banner")));
    click(window, QStringLiteral("update-later-btn"));
    EXPECT_FALSE(shown(QStringLiteral("update-banner")));
}

} // namespace
} // namespace quillora
