// The tracker where presses in other applications cannot be seen (Wayland): a selection change
// that stays still for the settle time stands for the release, and the icon goes where the
// compositor and accessibility say the selection is.
#include "TrackerFixture.h"

#include "app/IconAnchor.h"
#include "platform/ScreenCoordinates.h"

namespace quillora {
namespace {

class SettledSelectionTest : public TrackerFixture
{
protected:
    void SetUp() override
    {
        TrackerFixture::SetUp();
        desktop().setWaylandSession(true);
    }

    SimWaylandSession& session() { return desktop().waylandSession(); }

    QPointF designPoint(QPointF qtPoint) { return desktop().screens().coordinates().fromQt(qtPoint); }

    /** Lets the check started by a settled selection end, stepping the virtual clock. */
    void finishCheck()
    {
        ASSERT_TRUE(test::drive(clock(), [this] { return !tracker().isCheckingSelection(); }));
    }
};

TEST_F(SettledSelectionTest, TheIconWaitsUntilTheSelectionStaysStillAndAppearsAtItsEnd)
{
    session().setFocusedWindow(ForeignWindow{QRectF(100, 200, 800, 600), 4242, QStringLiteral("editor")});
    session().setSelectionEndInWindow(QRectF(300, 40, 8, 16));
    tracker().startTracking();
    ASSERT_EQ(session().handlerCount(), 1);

    // A drag reports many changes; each one restarts the wait.
    selectInEditor(QStringLiteral("a line selected by a drag"));
    session().reportChange();
    advance(0.2);
    session().reportChange();
    advance(0.2);
    EXPECT_FALSE(tracker().isCheckingSelection());
    EXPECT_TRUE(panels().icon->shownAt.isEmpty());

    advance(0.1);
    finishCheck();
    ASSERT_EQ(panels().icon->shownAt.size(), 1);
    EXPECT_EQ(panels().icon->shownAt.first(), designPoint(QPointF(100 + 308, 200 + 48)));
    EXPECT_EQ(tracker().lastCapturedText(), QStringLiteral("a line selected by a drag"));

    // Late events of the same selection leave the icon where it is; a new selection moves it.
    session().reportChange();
    advance(0.3);
    finishCheck();
    EXPECT_EQ(panels().icon->shownAt.size(), 1);
    EXPECT_TRUE(panels().icon->isOnScreen());
    selectInEditor(QStringLiteral("another line, selected next"));
    session().reportChange();
    advance(0.3);
    finishCheck();
    EXPECT_EQ(panels().icon->shownAt.size(), 2);
    EXPECT_EQ(tracker().lastCapturedText(), QStringLiteral("another line, selected next"));

    // Stopping removes the handler; changes no longer reach the tracker.
    tracker().stopTracking();
    EXPECT_EQ(session().handlerCount(), 0);
}

TEST_F(SettledSelectionTest, AFocusChangeWithoutSelectionNeverPostsTheCopyShortcutAndShowsNothing)
{
    desktop().userDefaults().set(QLatin1String(SelectionTracker::settleTimeKey), 500);
    tracker().startTracking();
    editor().setText(QStringLiteral("text with only a caret in it"), AXRange{3, 0});

    session().reportChange();
    advance(0.3);
    EXPECT_FALSE(tracker().isCheckingSelection()) << "the stored settle time is used";
    advance(0.2);
    finishCheck();

    EXPECT_EQ(editor().copies(), 0);
    EXPECT_TRUE(desktop().keyEventSink().events().isEmpty());
    EXPECT_TRUE(panels().icon->shownAt.isEmpty());
}

TEST_F(SettledSelectionTest, UseWhereNoKeyCanBePostedLeavesTheTextOnThePasteboardAndSaysSo)
{
    desktop().keyEventSink().setCanPost(false);
    session().setPointer(QPointF(640, 360));
    tracker().startTracking();
    selectInEditor(QStringLiteral("please polish this text"));
    session().reportChange();
    advance(0.3);
    finishCheck();
    ASSERT_EQ(panels().icon->shownAt.size(), 1);
    EXPECT_EQ(panels().icon->shownAt.first(), designPoint(QPointF(640, 360))) << "the pointer comes first";

    panels().icon->activate();
    ASSERT_TRUE(waitForPolishing());
    panels().results->select(QStringLiteral("the chosen variation"));
    advance(0.2);

    EXPECT_EQ(desktop().pasteboard().string(), QStringLiteral("the chosen variation"));
    EXPECT_TRUE(desktop().keyEventSink().events().isEmpty());
    ASSERT_FALSE(panels().results->updates.isEmpty());
    EXPECT_EQ(panels().results->updates.last().error, SelectionTracker::copiedOnlyMessage());
    EXPECT_TRUE(panels().results->isOnScreen());
}

TEST_F(SettledSelectionTest, PolishingOnRequestOpensTheResultsBesideTheSelectionOrSaysNothingIsSelected)
{
    session().setFocusedWindow(ForeignWindow{QRectF(100, 200, 800, 600), 4242, QStringLiteral("editor")});
    session().setSelectionEndInWindow(QRectF(300, 40, 8, 16));
    tracker().startTracking();

    editor().setText(QStringLiteral("text with only a caret in it"), AXRange{3, 0});
    tracker().polishCurrentSelection();
    // Nothing selected: the selection is read once more after a moment, then the panel says so.
    advance(SelectionTracker::requestRetryDelay);
    finishCheck();
    ASSERT_FALSE(panels().results->updates.isEmpty());
    EXPECT_EQ(panels().results->updates.last().error, SelectionTracker::noSelectionMessage());
    EXPECT_EQ(editor().copies(), 0) << "no copy shortcut where presses are not watched";

    selectInEditor(QStringLiteral("a line to polish at once"));
    tracker().polishCurrentSelection();
    finishCheck();
    EXPECT_TRUE(panels().icon->shownAt.isEmpty()) << "no icon on request";
    ASSERT_FALSE(panels().results->shownAt.isEmpty());
    EXPECT_EQ(panels().results->shownAt.last(), designPoint(QPointF(408, 248)));
    EXPECT_TRUE(tracker().isPolishing());
    ASSERT_TRUE(waitForPolishing());
    EXPECT_EQ(tracker().lastCapturedText(), QStringLiteral("a line to polish at once"));
    EXPECT_FALSE(panels().results->updates.last().results.isEmpty());
}

TEST(IconAnchorTest, ThePointerComesFirstThenTheSelectionEndThenTheWindowThenTheScreenAndNeverAStalePlace)
{
    const ForeignWindow window{QRectF(100, 200, 800, 600), 1, {}};
    const QRectF end(300, 40, 8, 16);
    const QRectF screen(0, 0, 1920, 1080);

    EXPECT_EQ(IconAnchor::place({QPointF(5, 6), end, window, screen}), QPointF(5, 6));
    EXPECT_EQ(IconAnchor::place({std::nullopt, end, window, screen}), QPointF(408, 248));
    // Bounds that lie outside the window (a toolkit answering in other coordinates) are not trusted.
    EXPECT_EQ(IconAnchor::place({std::nullopt, QRectF(2000, 40, 8, 16), window, screen}), QPointF(500, 208));
    // Without a window the selection's window-relative bounds say nothing about the screen.
    EXPECT_EQ(IconAnchor::place({std::nullopt, end, std::nullopt, screen}), QPointF(960, 8));
    EXPECT_EQ(IconAnchor::place({}), std::nullopt);
}

} // namespace
} // namespace quillora
