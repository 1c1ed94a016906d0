// The X11 shortcut on the test desktop: pressed with and without Num Lock, refused while another
// client holds the combination, and given back when released.
#include "DesktopDriver.h"
#include "platform/linux/x11/X11GlobalShortcut.h"

#include <qcoro/qcorotask.h>

#include <gtest/gtest.h>

// X11 headers come last: their macros (None, Bool, Status) clash with Qt's.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#undef Status

namespace quillora::test {
namespace {

/** A second client of the test desktop: the user's keyboard, and another program's grabs. */
class OtherClient
{
public:
    OtherClient()
        : m_display(XOpenDisplay(nullptr))
    {
    }
    ~OtherClient() { XCloseDisplay(m_display); }
    OtherClient(const OtherClient&) = delete;
    OtherClient& operator=(const OtherClient&) = delete;

    void tap(const QList<KeySym>& chord)
    {
        for (const KeySym keysym : chord) {
            XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, keysym), True, CurrentTime);
        }
        for (auto it = chord.rbegin(); it != chord.rend(); ++it) {
            XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, *it), False, CurrentTime);
        }
        XSync(m_display, False);
    }

    /** Presses `chord` in order, then lets its keys go in the order `released`. */
    void press(const QList<KeySym>& chord, const QList<KeySym>& released)
    {
        for (const KeySym keysym : chord) {
            XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, keysym), True, CurrentTime);
        }
        for (const KeySym keysym : released) {
            XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, keysym), False, CurrentTime);
        }
        XSync(m_display, False);
    }

    void grab(KeySym keysym, unsigned int modifiers)
    {
        XGrabKey(m_display, XKeysymToKeycode(m_display, keysym), modifiers, DefaultRootWindow(m_display), False,
                 GrabModeAsync, GrabModeAsync);
        XSync(m_display, False);
    }

    void ungrabAll()
    {
        XUngrabKey(m_display, AnyKey, AnyModifier, DefaultRootWindow(m_display));
        XSync(m_display, False);
    }

private:
    Display* m_display;
};

ShortcutBinding::Status bind(X11GlobalShortcut& shortcut, const QString& combination)
{
    return QCoro::waitFor(shortcut.bind(combination)).status;
}

TEST(X11GlobalShortcutSessionTest, TheCombinationWorksWithNumLockAndIsRefusedWhileAnotherClientHoldsIt)
{
    X11GlobalShortcut shortcut;
    int presses = 0;
    shortcut.setHandler([&presses] { ++presses; });
    OtherClient user;

    ASSERT_EQ(bind(shortcut, QStringLiteral("Ctrl+Alt+J")), ShortcutBinding::Status::bound);
    user.tap({XK_Control_L, XK_Alt_L, XK_j});
    EXPECT_TRUE(waitFor([&] { return presses == 1; }, 3000));
    user.tap({XK_Control_L, XK_j});
    user.tap({XK_Num_Lock});
    user.tap({XK_Control_L, XK_Alt_L, XK_j});
    EXPECT_TRUE(waitFor([&] { return presses == 2; }, 3000)) << "Num Lock on, or Ctrl+J taken for the shortcut";
    user.tap({XK_Num_Lock});
    // Modifiers let go before the key still make the combination.
    user.press({XK_Control_L, XK_Alt_L, XK_j}, {XK_Control_L, XK_Alt_L, XK_j});
    EXPECT_TRUE(waitFor([&] { return presses == 3; }, 3000)) << "the modifiers went up first";

    // Released: the other client may take the combination; ours is then refused, not ignored.
    ASSERT_EQ(bind(shortcut, QString()), ShortcutBinding::Status::unbound);
    user.grab(XK_j, ControlMask | Mod1Mask);
    EXPECT_EQ(bind(shortcut, QStringLiteral("Ctrl+Alt+J")), ShortcutBinding::Status::taken);
    user.ungrabAll();
    EXPECT_EQ(bind(shortcut, QStringLiteral("Ctrl+Alt+J")), ShortcutBinding::Status::bound)
        << "a refused grab leaves none of its four variants behind";

    EXPECT_EQ(bind(shortcut, QStringLiteral("Ctrl+Alt+NoSuchKey")), ShortcutBinding::Status::invalid);
    EXPECT_EQ(X11KeyGrab::chordFor(QStringLiteral("Ctrl+Alt+Space")),
              (X11KeyGrab::Chord{XK_space, ControlMask | Mod1Mask}));
}

} // namespace
} // namespace quillora::test
