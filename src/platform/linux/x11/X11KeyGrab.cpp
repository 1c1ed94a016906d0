#include "platform/linux/x11/X11KeyGrab.h"

#include "platform/GlobalShortcut.h"
#include "platform/linux/x11/X11ErrorTrap.h"

#include <QSocketNotifier>

#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace quillora {

namespace {

// Caps Lock and Num Lock (Mod2 on every common layout) change nothing about a combination.
constexpr unsigned int kLockMasks[] = {0, LockMask, Mod2Mask, LockMask | Mod2Mask};

} // namespace

X11KeyGrab::X11KeyGrab() = default;

X11KeyGrab::~X11KeyGrab()
{
    releaseAll();
    m_notifier.reset();
    if (m_display != nullptr) {
        XCloseDisplay(m_display);
    }
}

std::optional<X11KeyGrab::Chord> X11KeyGrab::chordFor(const QString& combination)
{
    const std::optional<ShortcutKeys> keys = ShortcutKeys::parse(combination);
    const KeySym keysym = keys ? XStringToKeysym(keys->keyName.toLatin1().constData()) : NoSymbol;
    if (keysym == NoSymbol) {
        return std::nullopt;
    }
    const Qt::KeyboardModifiers modifiers = keys->modifiers;
    return Chord{keysym, (modifiers.testFlag(Qt::ShiftModifier) ? ShiftMask : 0u) |
                             (modifiers.testFlag(Qt::ControlModifier) ? ControlMask : 0u) |
                             (modifiers.testFlag(Qt::AltModifier) ? Mod1Mask : 0u) |
                             (modifiers.testFlag(Qt::MetaModifier) ? Mod4Mask : 0u)};
}

bool X11KeyGrab::open()
{
    if (!m_opened) {
        m_opened = true;
        // A connection of its own: the grabbed keys arrive as events in its queue, which only
        // this grab drains, and the grabs end with the connection.
        m_display = XOpenDisplay(nullptr);
        if (m_display != nullptr) {
            m_notifier = std::make_unique<QSocketNotifier>(ConnectionNumber(m_display), QSocketNotifier::Read);
            QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] { drain(); });
        }
    }
    return m_display != nullptr;
}

void X11KeyGrab::ungrab(const QList<Grabbed>& grabs)
{
    const Window root = DefaultRootWindow(m_display);
    for (const Grabbed& grabbed : grabs) {
        for (const unsigned int locks : kLockMasks) {
            XUngrabKey(m_display, int(grabbed.keycode), grabbed.chord.modifiers | locks, root);
        }
    }
    XSync(m_display, False);
}

void X11KeyGrab::releaseAll()
{
    if (m_display != nullptr && !m_grabbed.isEmpty()) {
        ungrab(m_grabbed);
    }
    m_grabbed.clear();
    m_pressed.reset();
}

X11KeyGrab::Result X11KeyGrab::grab(const QList<Chord>& chords)
{
    if (!open()) {
        return Result::noDisplay;
    }
    QList<Grabbed> added;
    for (const Chord& chord : chords) {
        const KeyCode keycode = XKeysymToKeycode(m_display, chord.keysym);
        if (keycode == 0) {
            return Result::noKey;
        }
        added.append({chord, keycode});
    }
    const Window root = DefaultRootWindow(m_display);
    // A refused grab comes back as BadAccess, after a round trip.
    X11ErrorTrap trap(m_display);
    for (const Grabbed& grabbed : added) {
        for (const unsigned int locks : kLockMasks) {
            XGrabKey(m_display, int(grabbed.keycode), grabbed.chord.modifiers | locks, root, False, GrabModeAsync,
                     GrabModeAsync);
        }
    }
    if (trap.lastErrorCode() == BadAccess) {
        // Some of the grabs may have been made; none of them is kept.
        ungrab(added);
        return Result::taken;
    }
    m_grabbed += added;
    // The round trips above may have queued events that the socket will not announce again.
    QMetaObject::invokeMethod(
        m_notifier.get(), [this] { drain(); }, Qt::QueuedConnection);
    return Result::grabbed;
}

void X11KeyGrab::drain()
{
    while (m_display != nullptr && XPending(m_display) > 0) {
        XEvent event;
        XNextEvent(m_display, &event);
        if (event.type == KeyPress) {
            // The combination is told by the press; the modifiers may go up before the key.
            const unsigned int held = event.xkey.state & ~(LockMask | Mod2Mask);
            m_pressed.reset();
            for (const Grabbed& grabbed : m_grabbed) {
                if (grabbed.keycode == event.xkey.keycode && grabbed.chord.modifiers == held) {
                    m_pressed = grabbed;
                }
            }
        } else if (event.type == KeyRelease && m_pressed && m_pressed->keycode == event.xkey.keycode) {
            const Chord chord = m_pressed->chord;
            m_pressed.reset();
            if (m_handler) {
                m_handler(chord);
            }
        }
    }
}

} // namespace quillora
