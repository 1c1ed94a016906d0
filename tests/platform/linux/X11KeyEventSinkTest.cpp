#include "platform/linux/x11/X11KeyEventSink.h"
#include "keys/Key.h"
#include "keys/Modifier.h"
#include "platform/sim/SimUserDefaults.h"

#include <gtest/gtest.h>

#include <QByteArray>

namespace quillora {
namespace {

TEST(X11KeyEventSinkTest, EveryKeyHasAKeysymAndOtherCodesHaveNone)
{
    for (const Key key : Key::allCases()) {
        EXPECT_TRUE(X11KeyEventSink::keysymForVirtualKey(key.rawValue())) << caseName(key).toStdString();
    }
    for (const int code : {-1, 55, 56, 57, 58, 63, 127, 1000}) {
        EXPECT_EQ(X11KeyEventSink::keysymForVirtualKey(code), std::nullopt) << code;
    }
}

TEST(X11KeyEventSinkTest, ModifierFlagsBecomeHeldModifierKeys)
{
    constexpr quint32 controlL = 0xffe3;
    constexpr quint32 altL = 0xffe9;
    constexpr quint32 shiftL = 0xffe1;
    const auto flags = [](std::initializer_list<Modifier> modifiers) {
        quint64 union_ = 0;
        for (const Modifier modifier : modifiers) {
            union_ |= modifier.eventFlag();
        }
        return union_;
    };
    const struct
    {
        quint64 flags;
        QList<quint32> keysyms;
    } rows[] = {
        {0, {}},
        {flags({Modifier::command}), {controlL}},
        {flags({Modifier::command, Modifier::control}), {controlL}},
        {flags({Modifier::shift, Modifier::command}), {controlL, shiftL}},
        {flags({Modifier::option}), {altL}},
        {flags({Modifier::capsLock, Modifier::function, Modifier::help, Modifier::numPad}), {}},
        {0xFF0000, {controlL, altL, shiftL}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(X11KeyEventSink::modifierKeysyms(row.flags), row.keysyms) << std::hex << row.flags;
    }
}

TEST(X11KeyEventSinkTest, PostingWithoutADisplayIsRefused)
{
    const QByteArray display = qgetenv("DISPLAY");
    qunsetenv("DISPLAY");
    SimUserDefaults defaults;
    X11KeyEventSink sink(defaults);
    EXPECT_FALSE(sink.post({Key::v, true, Modifier(Modifier::command).eventFlag(), std::nullopt}));
    EXPECT_FALSE(sink.post({Key::v, false, 0, 42}));
    if (!display.isNull()) {
        qputenv("DISPLAY", display);
    }
}

} // namespace
} // namespace quillora
