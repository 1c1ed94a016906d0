#include "platform/linux/x11/X11GlobalShortcut.h"

#include <QKeySequence>
#include <QSocketNotifier>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

// Xlib names a type Status with a macro, which would rename ShortcutBinding::Status below.
#undef Status

namespace quillora {

namespace {

// Caps Lock and Num Lock (Mod2 on every common layout) change nothing about a shortcut.
constexpr unsigned int kLockMasks[] = {0, LockMask, Mod2Mask, LockMask | Mod2Mask};

// Xlib reports a refused grab to the process-wide error handler, later; the grab is followed by
// a round trip and the handler notes what came back meanwhile.
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
    // Most other keys carry their X name in Qt's portable text ("Insert", "Home", "Period" not).
    const QByteArray name = QKeySequence(key).toString(QKeySequence::PortableText).toLatin1();
    return name.isEmpty() ? NoSymbol : XStringToKeysym(name.constData());
}

} // namespace

X11GlobalShortcut::X11GlobalShortcut() = default;

X11GlobalShortcut::~X11GlobalShortcut()
{
    release();
    m_notifier.reset();
    if (m_display != nullptr) {
        XCloseDisplay(m_display);
    }
}

std::optional<X11GlobalShortcut::Chord> X11GlobalShortcut::chordFor(const QString& combination)
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
    Chord chord;
    chord.keysym = keysym;
    const Qt::KeyboardModifiers modifiers = pressed.keyboardModifiers();
    chord.modifiers = (modifiers.testFlag(Qt::ShiftModifier) ? ShiftMask : 0) |
                      (modifiers.testFlag(Qt::ControlModifier) ? ControlMask : 0) |
                      (modifiers.testFlag(Qt::AltModifier) ? Mod1Mask : 0) |
                      (modifiers.testFlag(Qt::MetaModifier) ? Mod4Mask : 0);
    return chord;
}

void X11GlobalShortcut::setHandler(Handler handler)
{
    m_handler = std::move(handler);
}

bool X11GlobalShortcut::open()
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

void X11GlobalShortcut::release()
{
    if (m_display == nullptr || m_keycode == 0) {
        return;
    }
    const Window root = DefaultRootWindow(m_display);
    for (const unsigned int locks : kLockMasks) {
        XUngrabKey(m_display, int(m_keycode), m_modifiers | locks, root);
    }
    XSync(m_display, False);
    m_keycode = 0;
    m_modifiers = 0;
}

QCoro::Task<ShortcutBinding> X11GlobalShortcut::bind(QString combination)
{
    release();
    if (combination.isEmpty()) {
        co_return ShortcutBinding{ShortcutBinding::Status::unbound, {}};
    }
    const std::optional<Chord> chord = chordFor(combination);
    if (!chord) {
        co_return ShortcutBinding{ShortcutBinding::Status::invalid,
                                  QStringLiteral("%1 is not a key combination X11 can grab").arg(combination)};
    }
    if (!open()) {
        co_return ShortcutBinding{ShortcutBinding::Status::unsupported,
                                  QStringLiteral("the X server named by DISPLAY does not answer")};
    }
    const KeyCode keycode = XKeysymToKeycode(m_display, chord->keysym);
    if (keycode == 0) {
        co_return ShortcutBinding{ShortcutBinding::Status::invalid,
                                  QStringLiteral("the keyboard has no key for %1").arg(combination)};
    }
    const Window root = DefaultRootWindow(m_display);
    XSync(m_display, False);
    g_grabRefused = false;
    const auto previous = XSetErrorHandler(&noteRefusedGrab);
    for (const unsigned int locks : kLockMasks) {
        XGrabKey(m_display, keycode, chord->modifiers | locks, root, False, GrabModeAsync, GrabModeAsync);
    }
    XSync(m_display, False);
    XSetErrorHandler(previous);
    m_keycode = keycode;
    m_modifiers = chord->modifiers;
    if (g_grabRefused) {
        // Some of the four grabs may have been made; none of them is kept.
        release();
        co_return ShortcutBinding{
            ShortcutBinding::Status::taken,
            QStringLiteral("another program already uses %1; choose another combination").arg(combination)};
    }
    // The round trips above may have queued events that the socket will not announce again.
    QMetaObject::invokeMethod(
        m_notifier.get(), [this] { drain(); }, Qt::QueuedConnection);
    co_return ShortcutBinding{ShortcutBinding::Status::bound, QStringLiteral("grabbed on the X server")};
}

void X11GlobalShortcut::drain()
{
    while (m_display != nullptr && XPending(m_display) > 0) {
        XEvent event;
        XNextEvent(m_display, &event);
        // Acted on at the release: until then the grab holds the keyboard, and keys posted to
        // copy the selection would come back here instead of reaching the application.
        if (event.type != KeyRelease || m_keycode == 0 || event.xkey.keycode != m_keycode) {
            continue;
        }
        const unsigned int held = event.xkey.state & ~(LockMask | Mod2Mask);
        if (held == m_modifiers && m_handler) {
            m_handler();
        }
    }
}

} // namespace quillora
