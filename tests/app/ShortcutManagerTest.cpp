// The desktop-wide shortcut: held only while tracking runs, rebound when the user picks another
// combination, a combination held by another program reported rather than ignored, and a press
// polishing the selection without the icon.
#include "TrackerFixture.h"

#include "app/ShortcutManager.h"

namespace quillora {
namespace {

class ShortcutManagerTest : public TrackerFixture
{
protected:
    SimGlobalShortcut& shortcut() { return *desktop().globalShortcut(); }
};

TEST_F(ShortcutManagerTest, TheShortcutIsHeldOnlyWhileTrackingRunsAndPolishesWithoutTheIcon)
{
    ShortcutManager shortcuts(&shortcut(), desktop().userDefaults(), tracker());
    EXPECT_EQ(shortcut().bound(), QString()) << "nothing is held before tracking starts";

    tracker().startTracking();
    EXPECT_EQ(shortcut().bound(), QStringLiteral("Ctrl+Alt+Space"));
    EXPECT_EQ(shortcuts.binding().status, ShortcutBinding::Status::bound);

    selectInEditor(QStringLiteral("a sentence polished by the shortcut"));
    shortcut().press();
    ASSERT_TRUE(test::drive(clock(), [this] { return tracker().isPolishing(); }));
    EXPECT_TRUE(panels().icon->shownAt.isEmpty()) << "the shortcut opens the results without the icon";
    ASSERT_TRUE(waitForPolishing());
    EXPECT_EQ(tracker().lastCapturedText(), QStringLiteral("a sentence polished by the shortcut"));

    // Paused: the combination goes back to the desktop, and comes back with tracking.
    tracker().stopTracking();
    EXPECT_EQ(shortcut().bound(), QString());
    tracker().startTracking();
    EXPECT_EQ(shortcut().bound(), QStringLiteral("Ctrl+Alt+Space"));

    // Another combination, then none: each replaces the one before, and "none" is kept.
    shortcuts.setCombination(QStringLiteral("Meta+P"));
    EXPECT_EQ(shortcut().bound(), QStringLiteral("Meta+P"));
    shortcuts.setCombination(QString());
    EXPECT_EQ(shortcut().bound(), QString());
    EXPECT_EQ(shortcuts.binding().status, ShortcutBinding::Status::unbound);
    ShortcutManager afterRestart(&shortcut(), desktop().userDefaults(), tracker());
    EXPECT_EQ(afterRestart.combination(), QString()) << "a shortcut the user removed stays removed";
}

TEST_F(ShortcutManagerTest, ACombinationAnotherProgramHoldsIsReportedAndADesktopWithoutShortcutsSaysWhatToDo)
{
    shortcut().setTakenByOthers({QStringLiteral("Ctrl+Alt+Space")});
    tracker().startTracking();
    ShortcutManager shortcuts(&shortcut(), desktop().userDefaults(), tracker());
    int changes = 0;
    QObject::connect(&shortcuts, &ShortcutManager::bindingChanged, [&changes] { ++changes; });
    EXPECT_EQ(shortcuts.binding().status, ShortcutBinding::Status::taken);
    EXPECT_EQ(shortcut().bound(), QString());

    shortcuts.setCombination(QStringLiteral("Ctrl+Alt+P"));
    EXPECT_EQ(shortcuts.binding().status, ShortcutBinding::Status::bound);
    EXPECT_EQ(changes, 1);

    ShortcutManager nowhere(nullptr, desktop().userDefaults(), tracker());
    EXPECT_EQ(nowhere.binding().status, ShortcutBinding::Status::unsupported);
    EXPECT_TRUE(nowhere.binding().detail.contains(QStringLiteral("quillora --polish-selection")));
}

} // namespace
} // namespace quillora
