#include "platform/linux/x11/X11KeyGrab.h"

#include <QKeySequence>
#include <QSocketNotifier>

#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace quillora {

namespace {

// Caps Lock and Num Lock (Mod2 on every common layout) change nothing about a combination.
constexpr unsigned int kLockMasks[] = {0, LockMask, Mod2Mask, LockMask | Mod2Mask};

// Xlib reports a refused grab to the process-wide error handler, later; the grabs are followed
// by a round trip and the handler notes what came back meanwhile.
bool g_grabRefused = false;

int noteRefusedGrab(Display*, XErrorEvent* error)
{
    if (error->error_code == BadAccess) {
        g_grabRefused = true;
    }
    return 0;
}

KeySym keysymForKey(int key)
{
    if (key >= Qt::Key_A && key <= Qt::Key_Z) {
        return XK_a + (key - Qt::Key_A);
    }
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        return XK_0 + (key - Qt::Key_0);
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F35) {
        return XK_F1 + (key - Qt::Key_F1);
    }
    switch (key) {
    case Qt::Key_Space:
        return XK_space;
    case Qt::Key_Escape:
        return XK_Escape;
    case Qt::Key_Return:
        return XK_Return;
    case Qt::Key_Tab:
        return XK_Tab;
    default:
        break;
    }
    // Most other keys carry their X name in Qt's portable text ("Insert", "Home").
    const QByteArray name = QKeySequence(key).toString(QKeySequence::PortableText).toLatin1();
    return name.isEmpty() ? NoSymbol : XStringToKeysym(name.constData());
}

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
    const QKeySequence sequence = QKeySequence::fromString(combination, QKeySequence::PortableText);
    if (sequence.count() != 1) {
        return std::nullopt;
    }
    const QKeyCombination pressed = sequence[0];
    const KeySym keysym = keysymForKey(pressed.key());
    if (keysym == NoSymbol) {
        return std::nullopt;
    }
    const Qt::KeyboardModifiers modifiers = pressed.keyboardModifiers();
    return Chord{keysym, (modifiers.testFlag(Qt::ShiftModifier) ? ShiftMask : 0u) |
                             (modifiers.testFlag(Qt::ControlModifier) ? ControlMask : 0u) |
                             (modifiers.testFlag(Qt::AltModifier) ? Mod1Mask : 0u) |
                             (modifiers.testFlag(Qt::MetaModifier) ? Mod4Mask : 0u)};
}

bool X11KeyGrab::open()
{
    if (!m_opened) {
        m_opened = true;
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
    XSync(m_display, False);
    g_grabRefused = false;
    const auto previous = XSetErrorHandler(&noteRefusedGrab);
    for (const Grabbed& grabbed : added) {
        for (const unsigned int locks : kLockMasks) {
            XGrabKey(m_display, int(grabbed.keycode), grabbed.chord.modifiers | locks, root, False, GrabModeAsync,
                     GrabModeAsync);
        }
    }
    XSync(m_display, False);
    XSetErrorHandler(previous);
    if (g_grabRefused) {
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
