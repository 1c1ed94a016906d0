#include "platform/linux/wayland/EvdevKeys.h"
#include "keys/Key.h"
#include "keys/Modifier.h"
#include "platform/linux/wayland/EvdevKeyPresses.h"
#include "platform/linux/wayland/KWinFakeInputKeySink.h"

#include <gtest/gtest.h>

#include <QSet>

#include <linux/input-event-codes.h>

namespace quillora {
namespace {

quint64 flags(std::initializer_list<Modifier> modifiers)
{
    quint64 all = 0;
    for (const Modifier modifier : modifiers) {
        all |= modifier.eventFlag();
    }
    return all;
}

TEST(EvdevKeysTest, EveryKeyHasAKeyOfItsOwnAndOtherCodesHaveNone)
{
    QSet<quint32> used;
    for (const Key key : Key::allCases()) {
        const std::optional<quint32> code = EvdevKeys::codeForVirtualKey(key.rawValue());
        ASSERT_TRUE(code) << caseName(key).toStdString();
        EXPECT_FALSE(used.contains(*code)) << caseName(key).toStdString() << " shares evdev code " << *code;
        used.insert(*code);
        EXPECT_FALSE(EvdevKeys::modifierCodes(0xFF0000).contains(*code)) << caseName(key).toStdString();
    }
    for (const int code : {-1, 55, 56, 57, 58, 63, 127, 1000}) {
        EXPECT_EQ(EvdevKeys::codeForVirtualKey(code), std::nullopt) << code;
    }
}

TEST(EvdevKeysTest, ModifierFlagsBecomeLeftModifierKeysEachOnce)
{
    EXPECT_EQ(EvdevKeys::modifierCodes(0), QList<quint32>());
    EXPECT_EQ(EvdevKeys::modifierCodes(flags({Modifier::command, Modifier::control})), QList<quint32>{KEY_LEFTCTRL});
    EXPECT_EQ(EvdevKeys::modifierCodes(flags({Modifier::shift, Modifier::option, Modifier::command})),
              (QList<quint32>{KEY_LEFTCTRL, KEY_LEFTALT, KEY_LEFTSHIFT}));
    EXPECT_EQ(
        EvdevKeys::modifierCodes(flags({Modifier::capsLock, Modifier::function, Modifier::help, Modifier::numPad})),
        QList<quint32>());
}

using Changes = QList<EvdevKeyChange>;

TEST(EvdevKeysTest, AKeyUpReleasesWhatItsKeyDownPressed)
{
    EvdevKeyPresses presses;
    const quint64 command = flags({Modifier::command});
    EXPECT_EQ(presses.changesFor({Key::v, true, command, std::nullopt}),
              (Changes{{KEY_LEFTCTRL, true}, {KEY_V, true}}));
    // The key-up's own flags do not matter: the key goes first, then its modifiers.
    EXPECT_EQ(presses.changesFor({Key::v, false, 0, std::nullopt}), (Changes{{KEY_V, false}, {KEY_LEFTCTRL, false}}));
    // A key-up without its key-down releases only the key.
    EXPECT_EQ(presses.changesFor({Key::v, false, command, std::nullopt}), (Changes{{KEY_V, false}}));
    // A repeated key-down lets go of the first press before pressing again.
    EXPECT_EQ(presses.changesFor({Key::a, true, 0, std::nullopt}), (Changes{{KEY_A, true}}));
    EXPECT_EQ(presses.changesFor({Key::a, true, 0, std::nullopt}), (Changes{{KEY_A, false}, {KEY_A, true}}));
    EXPECT_EQ(presses.releaseAll(), (Changes{{KEY_A, false}}));
    EXPECT_EQ(presses.releaseAll(), Changes());
    EXPECT_EQ(presses.changesFor({55, true, command, std::nullopt}), std::nullopt);
}

TEST(EvdevKeysTest, AModifierSharedByHeldKeysIsPressedOnceAndReleasedWithTheLast)
{
    EvdevKeyPresses presses;
    const quint64 command = flags({Modifier::command});
    const quint64 commandShift = flags({Modifier::command, Modifier::shift});
    EXPECT_EQ(presses.changesFor({Key::c, true, command, std::nullopt}),
              (Changes{{KEY_LEFTCTRL, true}, {KEY_C, true}}));
    EXPECT_EQ(presses.changesFor({Key::v, true, commandShift, std::nullopt}),
              (Changes{{KEY_LEFTSHIFT, true}, {KEY_V, true}}));
    EXPECT_EQ(presses.changesFor({Key::c, false, command, std::nullopt}), (Changes{{KEY_C, false}}));
    EXPECT_EQ(presses.changesFor({Key::tab, true, command, std::nullopt}), (Changes{{KEY_TAB, true}}));
    // Everything left is released, the last pressed first, each modifier once.
    EXPECT_EQ(presses.releaseAll(),
              (Changes{{KEY_TAB, false}, {KEY_V, false}, {KEY_LEFTSHIFT, false}, {KEY_LEFTCTRL, false}}));
}

TEST(EvdevKeysTest, WithoutKWinsFakeInputNothingIsPosted)
{
    const QByteArray display = qgetenv("WAYLAND_DISPLAY");
    qputenv("WAYLAND_DISPLAY", "/nonexistent/quillora-no-such-display");
    KWinFakeInputKeySink sink;
    EXPECT_FALSE(sink.canPost());
    EXPECT_FALSE(sink.post({Key::v, true, flags({Modifier::command}), std::nullopt}));
    qputenv("WAYLAND_DISPLAY", display);
    if (display.isNull()) {
        qunsetenv("WAYLAND_DISPLAY");
    }
}

} // namespace
} // namespace quillora
