// What the desktop program asks of the GNOME Shell companion: only the paste combinations (the
// terminal one where a terminal has the focus), and shortcuts in the shell's accelerator form.
#include "platform/linux/gnome/ShellCompanionKeySink.h"
#include "platform/linux/gnome/ShellCompanionShortcut.h"

#include <gtest/gtest.h>

namespace quillora {
namespace {

constexpr int kKeyC = 8;
constexpr int kKeyV = 9;
constexpr quint64 kShift = 0x20000;
constexpr quint64 kControl = 0x40000;
constexpr quint64 kCommand = 0x100000;

TEST(ShellCompanionTest, OnlyThePasteCombinationsAreAskedForAndTerminalsGetTheirOwn)
{
    const auto combination = [](int key, quint64 flags, bool keyDown, bool terminal) {
        return ShellCompanionKeySink::combinationFor(PostedKeyEvent{key, keyDown, flags, std::nullopt}, terminal);
    };
    EXPECT_EQ(combination(kKeyV, kCommand, true, false), QStringLiteral("ctrl+v"));
    EXPECT_EQ(combination(kKeyV, kControl, true, true), QStringLiteral("ctrl+shift+v"));
    EXPECT_EQ(combination(kKeyV, kCommand | kShift, true, false), QStringLiteral("ctrl+shift+v"));
    // The key-up of a combination already pressed asks for nothing, and is no failure.
    EXPECT_EQ(combination(kKeyV, kCommand, false, false), QStringLiteral(""));
    EXPECT_FALSE(combination(kKeyV, kCommand, false, false).isNull());
    // Anything else is refused here, before the shell would refuse it.
    EXPECT_TRUE(combination(kKeyC, kCommand, true, false).isNull());
    EXPECT_TRUE(combination(kKeyV, 0, true, false).isNull());

    EXPECT_EQ(ShellCompanionShortcut::acceleratorFor(QStringLiteral("Ctrl+Alt+Space")),
              QStringLiteral("<Control><Alt>space"));
    EXPECT_EQ(ShellCompanionShortcut::acceleratorFor(QStringLiteral("Meta+Shift+P")),
              QStringLiteral("<Shift><Super>p"));
    EXPECT_EQ(ShellCompanionShortcut::acceleratorFor(QStringLiteral("Ctrl+Alt+F9")),
              QStringLiteral("<Control><Alt>F9"));
    EXPECT_TRUE(ShellCompanionShortcut::acceleratorFor(QStringLiteral("Ctrl+A, Ctrl+B")).isEmpty());
}

} // namespace
} // namespace quillora
