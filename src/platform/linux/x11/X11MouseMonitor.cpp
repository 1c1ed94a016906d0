#include "platform/linux/x11/X11MouseMonitor.h"

#include "platform/AppWindows.h"
#include "platform/ScreenCoordinates.h"
#include "platform/Screens.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSocketNotifier>
#include <QStyleHints>

#include <algorithm>
#include <cstdlib>

// X11 headers come last: their macros (None, Bool, Status) clash with Qt's.
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

namespace quillora {

namespace {

// The left button as the pointer mapping names it.
constexpr int kLeftButton = 1;

double devicePixelRatio()
{
    // Without a GUI application there are no Qt screens and X pixels are taken as points.
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        return 1;
    }
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->devicePixelRatio() : 1;
}

} // namespace

X11MouseMonitor::ClickCounter::ClickCounter(qint64 intervalMs, int slopPixels)
    : m_intervalMs(intervalMs > 0 ? static_cast<quint64>(intervalMs) : defaultIntervalMs)
    , m_slopPixels(slopPixels > 0 ? slopPixels : defaultSlopPixels)
{
}

X11MouseMonitor::ClickCounter X11MouseMonitor::ClickCounter::fromDesktopSettings()
{
    // The style hints follow the desktop's settings (XSETTINGS, the platform theme).
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        return ClickCounter();
    }
    const QStyleHints* hints = QGuiApplication::styleHints();
    return ClickCounter(hints->mouseDoubleClickInterval(), hints->mouseDoubleClickDistance());
}

int X11MouseMonitor::ClickCounter::press(quint64 timeMs, QPoint position)
{
    const bool continues = m_hasPress && timeMs >= m_timeMs && timeMs - m_timeMs <= m_intervalMs &&
                           std::abs(position.x() - m_position.x()) <= m_slopPixels &&
                           std::abs(position.y() - m_position.y()) <= m_slopPixels;
    m_count = continues ? m_count + 1 : 1;
    m_hasPress = true;
    m_timeMs = timeMs;
    m_position = position;
    return m_count;
}

X11MouseMonitor::X11MouseMonitor(const Screens& screens, const AppWindows& ownWindows)
    : m_screens(screens)
    , m_ownWindows(ownWindows)
    // A connection of its own: raw button events arrive at every click anywhere, and only this
    // monitor drains its queue.
    , m_display(XOpenDisplay(nullptr))
    , m_clicks(ClickCounter::fromDesktopSettings())
{
}

X11MouseMonitor::~X11MouseMonitor()
{
    m_notifier.reset();
    if (m_display != nullptr) {
        XCloseDisplay(m_display);
    }
}

std::optional<MouseMonitorHandle> X11MouseMonitor::addGlobalMonitor(MouseEventType type, Handler handler)
{
    if (!startListening()) {
        return std::nullopt;
    }
    return m_monitors.add(type, std::move(handler));
}

void X11MouseMonitor::removeMonitor(MouseMonitorHandle handle)
{
    m_monitors.remove(handle);
    // With nobody listening the server need not send raw events at all. The connection stays
    // open: a handler may be removing its own monitor from inside `drain`.
    if (m_monitors.isEmpty() && m_listening) {
        selectRawButtons(false);
        m_listening = false;
    }
}

QPointF X11MouseMonitor::mouseLocation() const
{
    const std::optional<QPoint> pixels = pointerPixels();
    scheduleDrainIfQueued();
    return pixels ? toScreenPoints(*pixels) : QPointF();
}

bool X11MouseMonitor::startListening()
{
    if (m_listening) {
        return true;
    }
    // A display that was missing at construction may have appeared since.
    if (m_display == nullptr) {
        m_display = XOpenDisplay(nullptr);
        if (m_display == nullptr) {
            return false;
        }
    }
    if (m_xiOpcode < 0) {
        int event = 0;
        int error = 0;
        int opcode = 0;
        if (XQueryExtension(m_display, "XInputExtension", &opcode, &event, &error) == 0) {
            return false;
        }
        // Raw events reach every client regardless of grabs from version 2.1 on.
        int major = 2;
        int minor = 2;
        if (XIQueryVersion(m_display, &major, &minor) != Success || major < 2 || (major == 2 && minor < 1)) {
            return false;
        }
        m_xiOpcode = opcode;
    }
    unsigned char map[256] = {};
    const int buttons = XGetPointerMapping(m_display, map, int(sizeof(map)));
    m_buttonMap = QByteArray(reinterpret_cast<const char*>(map), std::max(buttons, 0));

    selectRawButtons(true);
    if (!m_notifier) {
        m_notifier = std::make_unique<QSocketNotifier>(ConnectionNumber(m_display), QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] { drain(); });
    }
    m_listening = true;
    return true;
}

void X11MouseMonitor::selectRawButtons(bool enabled)
{
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    if (enabled) {
        XISetMask(bits, XI_RawButtonPress);
        XISetMask(bits, XI_RawButtonRelease);
    }
    XIEventMask mask{};
    // Master devices only: every physical button event is then reported once, not twice.
    mask.deviceid = XIAllMasterDevices;
    mask.mask_len = int(sizeof(bits));
    mask.mask = bits;
    XISelectEvents(m_display, DefaultRootWindow(m_display), &mask, 1);
    XFlush(m_display);
}

void X11MouseMonitor::drain()
{
    // XPending also counts events that an earlier round trip (a pointer query) left in Xlib's
    // queue, which the socket notifier cannot see.
    while (m_display != nullptr && XPending(m_display) > 0) {
        XEvent event;
        XNextEvent(m_display, &event);
        XGenericEventCookie* cookie = &event.xcookie;
        if (cookie->type != GenericEvent || cookie->extension != m_xiOpcode || XGetEventData(m_display, cookie) == 0) {
            continue;
        }
        const bool isButton = cookie->evtype == XI_RawButtonPress || cookie->evtype == XI_RawButtonRelease;
        const auto* raw = static_cast<const XIRawEvent*>(cookie->data);
        const bool pressed = cookie->evtype == XI_RawButtonPress;
        const int button = raw->detail;
        const quint64 time = raw->time;
        XFreeEventData(m_display, cookie);
        if (isButton && m_listening) {
            handleButton(pressed, button, time);
        }
    }
}

void X11MouseMonitor::handleButton(bool pressed, int rawButton, quint64 timeMs)
{
    // Raw events report the physical button; the pointer mapping says which logical one it is.
    const int logical = rawButton >= 1 && rawButton <= m_buttonMap.size()
                            ? static_cast<unsigned char>(m_buttonMap.at(rawButton - 1))
                            : rawButton;
    if (logical != kLeftButton) {
        return;
    }
    const std::optional<QPoint> pixels = pointerPixels();
    if (!pixels) {
        return;
    }
    const QPointF location = toScreenPoints(*pixels);
    if (pressed) {
        const int clickCount = m_clicks.press(timeMs, *pixels);
        m_pressInOwnWindow = isInOwnWindow(location);
        if (!m_pressInOwnWindow) {
            m_monitors.deliver(MouseEvent{MouseEventType::leftMouseDown, clickCount, location});
        }
        return;
    }
    // The release of a press made in one of this application's windows belongs to that window,
    // wherever the pointer is now.
    if (m_pressInOwnWindow) {
        m_pressInOwnWindow = false;
        return;
    }
    m_monitors.deliver(MouseEvent{MouseEventType::leftMouseUp, m_clicks.current(), location});
}

std::optional<QPoint> X11MouseMonitor::pointerPixels() const
{
    if (m_display == nullptr) {
        return std::nullopt;
    }
    Window root = 0;
    Window child = 0;
    int rootX = 0;
    int rootY = 0;
    int windowX = 0;
    int windowY = 0;
    unsigned int buttons = 0;
    // False means the pointer is on another X screen; its root position is then not ours.
    if (XQueryPointer(m_display, DefaultRootWindow(m_display), &root, &child, &rootX, &rootY, &windowX, &windowY,
                      &buttons) == 0) {
        return std::nullopt;
    }
    return QPoint(rootX, rootY);
}

QPointF X11MouseMonitor::toScreenPoints(QPoint pixels) const
{
    return m_screens.coordinates().fromQt(QPointF(pixels) / devicePixelRatio());
}

bool X11MouseMonitor::isInOwnWindow(QPointF location) const
{
    const QList<AppWindowInfo> windows = m_ownWindows.windows();
    const bool inside = std::any_of(windows.cbegin(), windows.cend(), [location](const AppWindowInfo& window) {
        return window.isVisible && !window.isMiniaturized && window.contentRect &&
               mouseInRect(location, *window.contentRect);
    });
    // Only a press inside one of ours costs a question to the window system: behind another
    // application's window, ours does not get it.
    return inside && m_ownWindows.isFrontmostAt(location);
}

void X11MouseMonitor::scheduleDrainIfQueued() const
{
    // A pointer query outside `drain` may have moved events into Xlib's queue, where the socket
    // notifier will not report them; handle them on the next pass of the event loop.
    if (m_notifier && m_display != nullptr && XEventsQueued(m_display, QueuedAlready) > 0) {
        auto* self = const_cast<X11MouseMonitor*>(this);
        QMetaObject::invokeMethod(
            m_notifier.get(), [self] { self->drain(); }, Qt::QueuedConnection);
    }
}

} // namespace quillora
