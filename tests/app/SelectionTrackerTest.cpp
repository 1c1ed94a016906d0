#include "TrackerFixture.h"

#include "platform/AXResult.h"
#include "platform/AppWindows.h"

#include <functional>

namespace quillora {
namespace {

using SelectionTrackerTest = TrackerFixture;

TEST_F(SelectionTrackerTest, ReleaseStartsACheckOnlyAfterAMoveOfMoreThanFivePointsOrAMultiClickAndNotOnTheIcon)
{
    struct Gesture
    {
        const char* name;
        QPointF press;
        QPointF release;
        int clickCount;
        bool checks;
    };
    const QList<Gesture> gestures = {
        {"single click without movement", {100, 100}, {100, 100}, 1, false},
        {"exactly 5 points", {100, 100}, {103, 104}, 1, false},
        {"5.1 points", {100, 100}, {105.1, 100}, 1, true},
        {"second click of a double click", {100, 100}, {100, 100}, 2, true},
        {"third click of a triple click", {100, 100}, {101, 100}, 3, true},
    };
    selectInEditor(QStringLiteral("a selection long enough"));
    tracker().startTracking();
    for (const Gesture& gesture : gestures) {
        SCOPED_TRACE(gesture.name);
        mouse().press(gesture.press, gesture.clickCount);
        mouse().release(gesture.release, gesture.clickCount);
        EXPECT_EQ(tracker().isCheckingSelection(), gesture.checks);
        settle();
        EXPECT_EQ(panels().icon->isOnScreen(), gesture.checks);
        if (gesture.checks) {
            EXPECT_EQ(panels().icon->shownAt.last(), gesture.release);
        }
        EXPECT_FALSE(tracker().isCheckingSelection());
        mouse().click({900, 900});
    }

    // A release on the icon is the icon's click, not the end of a selection.
    mouse().press({300, 300}, 1);
    panels().icon->showAt({300, 500});
    mouse().release(panels().icon->frame().center(), 1);
    EXPECT_FALSE(tracker().isCheckingSelection());
}

TEST_F(SelectionTrackerTest, SelectionNeedsTenCharactersAfterTrimmingAndIsLoggedShortened)
{
    struct Case
    {
        QString selection;
        bool showsIcon;
        QString captured;
    };
    const QString accented = QStringLiteral("e\u0301");
    const QList<Case> cases = {
        {QStringLiteral("123456789"), false, {}},
        {QStringLiteral("   123456789 \n\t"), false, {}},
        {QStringLiteral("1234567890"), true, QStringLiteral("1234567890")},
        {QStringLiteral("  hello world\n"), true, QStringLiteral("hello world")},
        // Ten user-perceived characters, twenty code units: counted as ten.
        {accented.repeated(10), true, accented.repeated(10)},
        {accented.repeated(9), false, {}},
        {QStringLiteral(" \u00a0\u2003\n"), false, {}},
        {QStringLiteral("The quick brown fox jumps"), true, QStringLiteral("The quick brown fox jumps")},
    };
    tracker().startTracking();
    for (const Case& testCase : cases) {
        SCOPED_TRACE(testCase.selection.toStdString());
        selectInEditor(testCase.selection);
        dragAndSettle({100, 500}, {300, 500});
        EXPECT_EQ(panels().icon->isOnScreen(), testCase.showsIcon);
        if (testCase.showsIcon) {
            EXPECT_EQ(tracker().lastCapturedText(), testCase.captured);
        }
        mouse().click({900, 900});
    }
    // A confirmed selection is logged with its first twenty characters only.
    EXPECT_TRUE(log().contains(QStringLiteral("✅ Confirmed Selection: \"The quick brown fox ...\"")));
}

TEST_F(SelectionTrackerTest, ShortcutCopyIsUsedWhenAccessibilityYieldsNoUsableText)
{
    struct Case
    {
        const char* name;
        std::function<void(SimApp&)> configure;
    };
    const QList<Case> cases = {
        {"white space only", [](SimApp& app) { app.setSelectedTextAnswer(SimSelectedTextAnswer::WhiteSpace); }},
        {"empty text", [](SimApp& app) { app.setSelectedTextAnswer(SimSelectedTextAnswer::Empty); }},
        {"read failure", [](SimApp& app) { app.setSelectedTextReadFailure(AXResult::CannotComplete); }},
    };
    tracker().startTracking();
    for (const Case& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        SimApp& app = desktop().addApp(SimAppSetup{QStringLiteral("Editor"), std::nullopt, {}, {}, true});
        testCase.configure(app);
        const QString text = QStringLiteral("text only a copy reveals: ") + QString::fromLatin1(testCase.name);
        app.setText(text, AXRange{0, text.size()});

        dragAndSettle({100, 500}, {300, 500});

        EXPECT_EQ(app.copies(), 1);
        EXPECT_EQ(tracker().lastCapturedText(), text);
        EXPECT_TRUE(panels().icon->isOnScreen());
        mouse().click({900, 900});
    }
}

TEST_F(SelectionTrackerTest, AnApplicationThatLetAnAccessibilityCallTimeOutIsNotSentTheCopyKeys)
{
    // Keys queued in a hung application run when it resumes, after the clipboard was restored.
    tracker().startTracking();
    selectInEditor(QStringLiteral("text in a hung editor"));
    desktop().accessibility().setUnresponsive(editor().pid(), true);
    dragAndSettle({100, 500}, {300, 500});
    EXPECT_EQ(editor().copies(), 0);
    EXPECT_TRUE(desktop().keyEventSink().events().isEmpty());
    EXPECT_FALSE(panels().icon->isOnScreen());
    EXPECT_EQ(desktop().accessibility().waitedSeconds(), 0) << "a call waited out its budget on the window thread";

    // Answering again, it gets the copy fall-back as before.
    desktop().accessibility().setUnresponsive(editor().pid(), false);
    editor().setSelectedTextAnswer(SimSelectedTextAnswer::Empty);
    mouse().click({900, 900});
    dragAndSettle({100, 500}, {300, 500});
    EXPECT_EQ(editor().copies(), 1);
    EXPECT_TRUE(panels().icon->isOnScreen());
}

TEST_F(SelectionTrackerTest, FailedReadsAreLoggedAndCountedByReasonWithoutTheText)
{
    int accessDenied = 0;
    QObject::connect(&tracker(), &SelectionTracker::selectionAccessDenied, [&accessDenied] { ++accessDenied; });
    tracker().startTracking();
    SimApp& app = desktop().addApp(SimAppSetup{QStringLiteral("Editor"), std::nullopt, {}, {}, true});
    const QString text = QStringLiteral("a confidential selection");
    app.setText(text, AXRange{0, text.size()});

    app.setSelectedTextReadFailure(AXResult::APIDisabled);
    dragAndSettle({100, 500}, {300, 500});
    mouse().click({900, 900});
    app.setSelectedTextReadFailure(AXResult::CannotComplete);
    dragAndSettle({100, 500}, {300, 500});

    EXPECT_EQ(tracker().selectionFailures().value(SelectionTracker::noAccessReason()), 1);
    EXPECT_EQ(accessDenied, 1);
    EXPECT_EQ(tracker().selectionFailures().size(), 2) << "the other failure is counted under its own reason";
    EXPECT_TRUE(log().contains(QStringLiteral("⚠️ Selection not read via Accessibility: no accessibility access")));
    for (const QString& line : log()) {
        EXPECT_FALSE(line.contains(QStringLiteral("confidential")) && line.startsWith(QStringLiteral("⚠️")))
            << line.toStdString();
    }
}

TEST_F(SelectionTrackerTest, PrimarySelectionTakenDuringTheGestureIsReadBeforeAnyShortcut)
{
    struct Case
    {
        const char* name;
        bool takenBeforePress;
        bool ownerAnswers;
        bool expectPrimary;
    };
    const QList<Case> cases = {
        {"taken during the drag", false, true, true},
        {"left over from before the press", true, true, false},
        {"owner does not answer", false, false, false},
    };
    SimPrimarySelection& primary = *desktop().primarySelection();
    tracker().startTracking();
    for (const Case& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        // An application without accessibility, as terminals are.
        SimApp& app = desktop().addApp(SimAppSetup{QStringLiteral("Terminal"), std::nullopt, {}, {}, true});
        app.setSelectedTextReadFailure(AXResult::CannotComplete);
        const QString text = QStringLiteral("selected in a terminal: ") + QString::fromLatin1(testCase.name);
        app.setText(text, AXRange{0, text.size()});
        primary.setOwnerAnswers(testCase.ownerAnswers);
        if (testCase.takenBeforePress) {
            primary.takeOwnership(QStringLiteral("  stale primary text  "));
        }
        mouse().press({100, 500});
        if (!testCase.takenBeforePress) {
            primary.takeOwnership(QStringLiteral("  ") + text + QStringLiteral("\n"));
        }
        mouse().release({300, 500});
        settle();

        EXPECT_EQ(tracker().lastCapturedText(), text);
        EXPECT_EQ(app.copies(), testCase.expectPrimary ? 0 : 1) << "the copy shortcut was posted needlessly";
        mouse().click({900, 900});
    }
    // Where accessibility answers, the primary selection is not even asked.
    const int reads = primary.reads();
    const QString readable = QStringLiteral("read through accessibility");
    desktop().addApp(SimAppSetup{QStringLiteral("Editor"), std::nullopt, readable, AXRange{0, readable.size()}, true});
    mouse().press({100, 500});
    primary.takeOwnership(QStringLiteral("never read"));
    mouse().release({300, 500});
    settle();
    EXPECT_EQ(tracker().lastCapturedText(), readable);
    EXPECT_EQ(primary.reads(), reads);
}

TEST_F(SelectionTrackerTest, ReleasesDuringACheckStartNothingAndTheSelectionIsReadWhenTheWaitEnds)
{
    // With nothing selected no icon shows; a second gesture while the check runs starts nothing,
    // but its press still counts.
    selectInEditor(QString());
    tracker().startTracking();
    mouse().drag({100, 500}, {300, 500});
    ASSERT_TRUE(tracker().isCheckingSelection());
    mouse().drag({400, 400}, {600, 400});
    EXPECT_EQ(tracker().startPoint(), QPointF(400, 400));
    settle();
    EXPECT_FALSE(panels().icon->isOnScreen());
    EXPECT_FALSE(tracker().isCheckingSelection());
    EXPECT_TRUE(tracker().lastCapturedText().isEmpty());

    selectInEditor(QStringLiteral("first selection here"));
    mouse().drag({100, 500}, {300, 500});
    advance(0.1);
    // Whatever is selected when the wait ends counts, not what was selected at the release.
    selectInEditor(QStringLiteral("second selection here"));
    advance(0.049);
    EXPECT_FALSE(panels().icon->isOnScreen());
    settle();
    EXPECT_EQ(tracker().lastCapturedText(), QStringLiteral("second selection here"));
}

TEST_F(SelectionTrackerTest, PressOnOwnTitleBarSkipsTheNextReleaseOnly)
{
    struct Window
    {
        const char* name;
        AppWindowInfo info;
        bool skips;
    };
    // A 400 × 300 window at (100, 100) whose top 22 points are its title bar.
    const QRectF frame(100, 100, 400, 300);
    const QRectF content(100, 100, 400, 278);
    const QList<Window> windows = {
        {"ordinary window", {true, false, false, frame, content}, true},
        {"hidden window", {false, false, false, frame, content}, false},
        {"minimised window", {true, true, false, frame, content}, false},
        {"panel", {true, false, true, frame, content}, false},
        {"window without content", {true, false, false, frame, std::nullopt}, false},
    };
    selectInEditor(QStringLiteral("a selection long enough"));
    tracker().startTracking();
    const QPointF titleBar(300, 390);
    for (const Window& window : windows) {
        SCOPED_TRACE(window.name);
        desktop().appWindows().setWindows({window.info});
        mouse().press(titleBar);
        EXPECT_EQ(tracker().skipNextSelection(), window.skips);
        mouse().release({600, 390});
        EXPECT_FALSE(tracker().skipNextSelection());
        EXPECT_EQ(tracker().isCheckingSelection(), !window.skips);
        settle();
        // The release after the skipped one is judged normally.
        mouse().drag({700, 700}, {800, 700});
        EXPECT_TRUE(tracker().isCheckingSelection());
        settle();
        mouse().click({900, 900});
    }
    // A press in the content area of the window is no title-bar press, nor one where another
    // application's window lies over the title bar.
    desktop().appWindows().setWindows({windows.first().info});
    mouse().press({300, 200});
    EXPECT_FALSE(tracker().skipNextSelection());
    mouse().release({300, 200});
    desktop().appWindows().setWindowsAbove({QRectF(0, 0, 1000, 1000)});
    mouse().press(titleBar);
    EXPECT_FALSE(tracker().skipNextSelection());
}

TEST_F(SelectionTrackerTest, SinglePressOutsideTheResultsHidesBothPanelsAndMultiClicksKeepThem)
{
    tracker().startTracking();
    startSession();
    ASSERT_TRUE(waitForPolishing());
    test::FakeResultsPanel& results = *panels().results;
    ASSERT_TRUE(results.isOnScreen());
    const QPointF inside = results.frame().center();

    // While the results are on the screen no selection is looked for, wherever the release is.
    mouse().press({1000, 100}, 2);
    mouse().release({1300, 100}, 2);
    EXPECT_FALSE(tracker().isCheckingSelection());
    EXPECT_TRUE(results.isOnScreen());

    mouse().click(inside);
    EXPECT_TRUE(results.isOnScreen());

    panels().icon->showAt({50, 50});
    mouse().press({1000, 100});
    EXPECT_FALSE(results.isOnScreen());
    EXPECT_FALSE(panels().icon->isOnScreen());
}

TEST_F(SelectionTrackerTest, StartingTwiceInstallsOnePairARefusedPairWaitsForTheNextStartAndStoppingRemovesBoth)
{
    history().addEntry(QStringLiteral("older"), {}, std::nullopt, std::nullopt);
    history().addEntry(QStringLiteral("newer"), {}, std::nullopt, std::nullopt);
    QStringList announced;
    QObject::connect(&tracker(), &SelectionTracker::isTrackingChanged,
                     [this, &announced] { announced << QVariant(tracker().isTracking()).toString(); });
    EXPECT_TRUE(tracker().isEnabled()) << "enabled until a value is stored";

    // Monitors the desktop refuses are installed by the next start.
    mouse().setRefusesMonitors(true);
    tracker().startTracking();
    EXPECT_TRUE(tracker().isTracking());
    EXPECT_EQ(mouse().monitorCount(), 0);
    mouse().setRefusesMonitors(false);
    tracker().startTracking();
    tracker().startTracking();

    EXPECT_EQ(mouse().monitorCount(), 2);
    EXPECT_TRUE(tracker().isTracking());
    EXPECT_EQ(tracker().capturedTexts(), QStringList({QStringLiteral("newer"), QStringLiteral("older")}));
    EXPECT_EQ(panels().iconPanelsMade, 1);
    EXPECT_EQ(panels().resultsPanelsMade, 1);
    EXPECT_EQ(panels().icon->identifier(), QStringLiteral("floatingIcon"));
    EXPECT_EQ(panels().results->identifier(), QStringLiteral("results"));

    panels().icon->showAt({10, 10});
    tracker().stopTracking();

    EXPECT_EQ(mouse().monitorCount(), 0);
    EXPECT_FALSE(tracker().isTracking());
    EXPECT_FALSE(tracker().isEnabled());
    EXPECT_FALSE(panels().icon->isOnScreen());
    EXPECT_EQ(desktop().userDefaults().object(QStringLiteral("isTrackingEnabled")), QVariant(false));
    EXPECT_EQ(announced, QStringList({QStringLiteral("true"), QStringLiteral("false")}));

    // The panels are kept for the next start.
    tracker().startTracking();
    EXPECT_EQ(panels().iconPanelsMade, 1);
    EXPECT_EQ(desktop().userDefaults().object(QStringLiteral("isTrackingEnabled")), QVariant(true));

    // A tracker destroyed during a selection check ends it quietly and takes its monitors along.
    selectInEditor(QStringLiteral("a selection long enough"));
    mouse().drag({100, 500}, {300, 500});
    destroyTracker();
    EXPECT_EQ(mouse().monitorCount(), 0);
    advance(1);
    mouse().drag({100, 500}, {300, 500});
    EXPECT_EQ(editor().copies(), 0);
}

TEST_F(SelectionTrackerTest, TheIconWaitsTheChosenDelayAndANewPressMeanwhileCancelsIt)
{
    desktop().userDefaults().set(QLatin1String(SelectionTracker::iconDelayKey), 400);
    selectInEditor(QStringLiteral("a selection long enough"));
    tracker().startTracking();

    mouse().drag({100, 500}, {300, 500});
    advance(SelectionTracker::selectionDelay + 0.3);
    EXPECT_FALSE(panels().icon->isOnScreen()) << "still within the delay";
    mouse().press({600, 600}, 1);
    mouse().release({600, 600}, 1);
    advance(1);
    EXPECT_FALSE(panels().icon->isOnScreen()) << "the press cancelled the icon";
    EXPECT_FALSE(tracker().isCheckingSelection()) << "and ended the check, so the next gesture is seen";

    mouse().drag({100, 500}, {310, 500});
    advance(SelectionTracker::selectionDelay + 0.3);
    EXPECT_FALSE(panels().icon->isOnScreen());
    advance(0.15);
    EXPECT_TRUE(panels().icon->isOnScreen());
}

TEST_F(SelectionTrackerTest, InShortcutOnlyModeASelectionIsNotEvenReadButTheShortcutStillPolishes)
{
    desktop().userDefaults().set(QLatin1String(SelectionTracker::showIconKey), false);
    editor().setSelectedTextReadFailure(AXResult::CannotComplete);
    selectInEditor(QStringLiteral("a selection long enough"));
    tracker().startTracking();

    dragAndSettle({100, 500}, {300, 500});
    EXPECT_FALSE(panels().icon->isOnScreen());
    EXPECT_EQ(editor().copies(), 0) << "nothing was read, not even by the copy shortcut";

    editor().setSelectedTextReadFailure(AXResult::Success);
    tracker().polishCurrentSelection();
    ASSERT_TRUE(test::drive(clock(), [this] { return tracker().isPolishing(); }));
    EXPECT_EQ(tracker().lastCapturedText(), QStringLiteral("a selection long enough"));
    EXPECT_TRUE(waitForPolishing());
}

} // namespace
} // namespace quillora
