// The X11 key sink on the test desktop, typing into a window of this process: a keysym missing
// from the keyboard map, the user's own modifiers, terminals, and no key left held.
#include "DesktopDriver.h"
#include "DesktopSession.h"
#include "DesktopTestEnvironment.h"
#include "keys/Key.h"
#include "keys/Modifier.h"
#include "platform/linux/x11/X11KeyEventSink.h"
#include "platform/linux/x11/X11WindowDirectory.h"
#include "platform/sim/SimUserDefaults.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

// X11 headers come last: their macros (None, Bool, Status) clash with Qt's.
#include <X11/XF86keysym.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace quillora::test {
namespace {

struct TypedKey
{
    quint32 keysym;
    Qt::KeyboardModifiers modifiers;
};

class KeyRecorder final : public QWidget
{
public:
    QList<TypedKey> typed;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        // The modifier keys' own presses are not what was typed.
        static const QList<int> modifierKeys = {Qt::Key_Shift, Qt::Key_Control, Qt::Key_Alt, Qt::Key_Meta};
        if (!modifierKeys.contains(event->key())) {
            typed.append({event->nativeVirtualKey(), event->modifiers()});
        }
    }
};

class X11KeyEventSinkSessionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_recorder.setWindowTitle(QStringLiteral("key recorder"));
        m_recorder.setGeometry(200, 200, 300, 200);
        m_recorder.show();
        ASSERT_TRUE(waitFor([&] { return m_driver.activate(m_recorder.winId()); }, 5000));
        m_recorder.setFocus();
        m_recorder.activateWindow();
    }

    /** Posts `key` down and up with `flags` and waits for the window to see a key press. */
    std::optional<TypedKey> type(X11KeyEventSink& sink, Key key, quint64 flags)
    {
        m_recorder.typed.clear();
        EXPECT_TRUE(sink.post({key.rawValue(), true, flags, std::nullopt}));
        EXPECT_TRUE(sink.post({key.rawValue(), false, flags, std::nullopt}));
        if (!waitFor([&] { return !m_recorder.typed.isEmpty(); }, 3000)) {
            return std::nullopt;
        }
        return m_recorder.typed.constFirst();
    }

    DesktopDriver m_driver{DesktopTestEnvironment::session()};
    KeyRecorder m_recorder;
    SimUserDefaults m_defaults;
};

bool anyKeyDown()
{
    Display* display = XOpenDisplay(nullptr);
    char keys[32] = {};
    XQueryKeymap(display, keys);
    XCloseDisplay(display);
    return std::any_of(std::begin(keys), std::end(keys), [](char bits) { return bits != 0; });
}

bool isMapped(quint32 keysym)
{
    Display* display = XOpenDisplay(nullptr);
    const bool mapped = XKeysymToKeycode(display, keysym) != 0;
    XCloseDisplay(display);
    return mapped;
}

TEST_F(X11KeyEventSinkSessionTest, AKeysymMissingFromTheMapIsTypedOnASpareKeycodeThatIsGivenBack)
{
    // Eisu_toggle (the Japanese alphanumeric key) is on no US keyboard.
    ASSERT_FALSE(isMapped(XK_Eisu_toggle));
    {
        X11KeyEventSink sink(m_defaults);
        const std::optional<TypedKey> typed = type(sink, Key::jisEisu, 0);
        ASSERT_TRUE(typed);
        EXPECT_EQ(typed->keysym, quint32(XK_Eisu_toggle));
        // A mapped key still goes through the map, and keeps its level: an underscore needs Shift.
        const std::optional<TypedKey> underscore = type(sink, Key::jisUnderscore, 0);
        ASSERT_TRUE(underscore);
        EXPECT_EQ(underscore->keysym, quint32(XK_underscore));
    }
    EXPECT_FALSE(isMapped(XK_Eisu_toggle)) << "the spare key code was not given back";
    EXPECT_FALSE(anyKeyDown());
}

TEST_F(X11KeyEventSinkSessionTest, TheUsersHeldModifierIsReleasedBeforeTheShortcutAndNoKeyStaysDown)
{
    X11KeyEventSink sink(m_defaults);
    DesktopSession& session = DesktopTestEnvironment::session();
    session.run(QStringLiteral("xdotool"), {QStringLiteral("keydown"), QStringLiteral("Alt_L")});
    // The user lets go a moment later, while the caller waits; its event loop keeps running.
    ASSERT_NE(session.launch(QStringLiteral("xdotool"), {QStringLiteral("sleep"), QStringLiteral("0.3"),
                                                         QStringLiteral("keyup"), QStringLiteral("Alt_L")}),
              nullptr);
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(10);
    QCoro::waitFor(sink.modifiersReleased(3000));
    EXPECT_GT(ticks, 5) << "the wait blocked the event loop";
    const std::optional<TypedKey> typed = type(sink, Key::a, Modifier(Modifier::command).eventFlag());
    ASSERT_TRUE(typed);
    EXPECT_EQ(typed->keysym, quint32(XK_a));
    EXPECT_EQ(typed->modifiers, Qt::ControlModifier) << "the user's Alt joined the shortcut";

    // Key-downs without their key-ups are released when the sink goes.
    {
        X11KeyEventSink forgetful(m_defaults);
        ASSERT_TRUE(
            forgetful.post({Key(Key::b).rawValue(), true, Modifier(Modifier::shift).eventFlag(), std::nullopt}));
        EXPECT_TRUE(anyKeyDown());
    }
    EXPECT_FALSE(anyKeyDown());
}

TEST_F(X11KeyEventSinkSessionTest, CopyAndPasteToATerminalHoldShiftAndControlCNeverReachesIt)
{
    X11WindowDirectory windows;
    QString ownClass;
    for (const X11ClientWindow& window : windows.clientWindows()) {
        if (window.id == m_recorder.winId()) {
            ownClass = window.className;
        }
    }
    ASSERT_FALSE(ownClass.isEmpty());
    const quint64 command = Modifier(Modifier::command).eventFlag();
    const struct
    {
        const char* what;
        QString terminals;
        Key key;
        Qt::KeyboardModifiers expected;
    } rows[] = {
        {"an editor gets Ctrl+C", QStringLiteral("xterm,kitty"), Key::c, Qt::ControlModifier},
        {"a terminal gets Ctrl+Shift+C", QStringLiteral("xterm, ") + ownClass.toUpper(), Key::c,
         Qt::ControlModifier | Qt::ShiftModifier},
        {"a terminal gets Ctrl+Shift+V", ownClass, Key::v, Qt::ControlModifier | Qt::ShiftModifier},
        {"other keys stay as they are", ownClass, Key::a, Qt::ControlModifier},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        m_defaults.set(QLatin1String(X11KeyEventSink::terminalClassesKey), row.terminals);
        X11KeyEventSink sink(m_defaults);
        const std::optional<TypedKey> typed = type(sink, row.key, command);
        ASSERT_TRUE(typed);
        EXPECT_EQ(typed->modifiers, row.expected);
    }
    EXPECT_FALSE(anyKeyDown());
}

} // namespace
} // namespace quillora::test
