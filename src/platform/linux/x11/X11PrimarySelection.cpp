#include "platform/linux/x11/X11PrimarySelection.h"

#include <QElapsedTimer>
#include <QSocketNotifier>

#include <poll.h>

// X11 headers come last: their macros (None, Bool, Status) clash with Qt's.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/Xfixes.h>

namespace quillora {

namespace {

constexpr int kLeftButton = 1;

// Server times wrap after 49 days; the difference tells which came first.
bool notBefore(quint32 time, quint32 reference)
{
    return qint32(time - reference) >= 0;
}

// Waits for the connection to become readable for at most `timeoutMs`.
bool waitReadable(Display* display, int timeoutMs)
{
    if (XPending(display) > 0) {
        return true;
    }
    pollfd descriptor{ConnectionNumber(display), POLLIN, 0};
    return poll(&descriptor, 1, std::max(timeoutMs, 0)) > 0;
}

} // namespace

X11PrimarySelection::X11PrimarySelection() = default;

X11PrimarySelection::~X11PrimarySelection()
{
    m_notifier.reset();
    if (m_display != nullptr) {
        if (m_window != 0) {
            XDestroyWindow(m_display, m_window);
        }
        XCloseDisplay(m_display);
    }
}

bool X11PrimarySelection::open()
{
    if (m_opened) {
        return m_display != nullptr && m_xiOpcode >= 0;
    }
    m_opened = true;
    // A connection of its own: selection-owner events and the conversions' answers arrive in its
    // queue, which only this monitor drains.
    m_display = XOpenDisplay(nullptr);
    if (m_display == nullptr) {
        return false;
    }
    int fixesError = 0;
    int event = 0;
    int error = 0;
    int opcode = 0;
    if (XFixesQueryExtension(m_display, &m_fixesEventBase, &fixesError) == 0 ||
        XQueryExtension(m_display, "XInputExtension", &opcode, &event, &error) == 0) {
        return false;
    }
    int major = 2;
    int minor = 2;
    if (XIQueryVersion(m_display, &major, &minor) != Success || major < 2) {
        return false;
    }
    const Window root = DefaultRootWindow(m_display);
    // An unmapped window of our own receives the converted text.
    m_window = XCreateSimpleWindow(m_display, root, 0, 0, 1, 1, 0, 0, 0);
    XSelectInput(m_display, m_window, PropertyChangeMask);
    XFixesSelectSelectionInput(m_display, root, XA_PRIMARY,
                               XFixesSetSelectionOwnerNotifyMask | XFixesSelectionWindowDestroyNotifyMask |
                                   XFixesSelectionClientCloseNotifyMask);
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawButtonPress);
    XIEventMask mask{XIAllMasterDevices, int(sizeof(bits)), bits};
    XISelectEvents(m_display, root, &mask, 1);
    XSync(m_display, False);
    m_xiOpcode = opcode;
    m_notifier = std::make_unique<QSocketNotifier>(ConnectionNumber(m_display), QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] { drain(); });
    return true;
}

void X11PrimarySelection::drain()
{
    while (m_display != nullptr && XPending(m_display) > 0) {
        XEvent event;
        XNextEvent(m_display, &event);
        handleEvent(&event);
    }
}

void X11PrimarySelection::handleEvent(void* opaque)
{
    auto* event = static_cast<XEvent*>(opaque);
    if (event->type == m_fixesEventBase + XFixesSelectionNotify) {
        const auto* notify = reinterpret_cast<const XFixesSelectionNotifyEvent*>(event);
        if (notify->subtype == XFixesSetSelectionOwnerNotify && notify->owner != None) {
            m_lastChange = quint32(notify->timestamp);
        } else {
            // The owner closed or cleared it: there is no selection to read any more.
            m_lastChange.reset();
        }
        return;
    }
    XGenericEventCookie* cookie = &event->xcookie;
    if (cookie->type == GenericEvent && cookie->extension == m_xiOpcode && XGetEventData(m_display, cookie) != 0) {
        const auto* raw = static_cast<const XIRawEvent*>(cookie->data);
        if (cookie->evtype == XI_RawButtonPress && raw->detail == kLeftButton) {
            m_lastPress = quint32(raw->time);
        }
        XFreeEventData(m_display, cookie);
    }
}

void X11PrimarySelection::beginGesture()
{
    if (!open()) {
        return;
    }
    // After a round trip every event the server sent before it is here, the press that began
    // this gesture among them.
    XSync(m_display, False);
    drain();
    if (m_lastPress) {
        m_gestureStart = m_lastPress;
    } else {
        // No press seen yet: only a change after the last one known counts.
        m_gestureStart = m_lastChange ? *m_lastChange + 1 : 0;
    }
}

std::optional<QString> X11PrimarySelection::textChangedDuringGesture()
{
    if (!open() || !m_gestureStart) {
        return std::nullopt;
    }
    XSync(m_display, False);
    drain();
    if (!m_lastChange || !notBefore(*m_lastChange, *m_gestureStart)) {
        return std::nullopt;
    }
    if (const std::optional<QByteArray> utf8 = convert("UTF8_STRING")) {
        return QString::fromUtf8(*utf8);
    }
    if (const std::optional<QByteArray> latin1 = convert("STRING")) {
        return QString::fromLatin1(*latin1);
    }
    return std::nullopt;
}

std::optional<QByteArray> X11PrimarySelection::convert(const char* targetName)
{
    const Atom target = XInternAtom(m_display, targetName, False);
    const Atom property = XInternAtom(m_display, "QUILLORA_PRIMARY", False);
    XDeleteProperty(m_display, m_window, property);
    XConvertSelection(m_display, XA_PRIMARY, target, property, m_window, CurrentTime);
    XFlush(m_display);
    QElapsedTimer elapsed;
    elapsed.start();
    while (elapsed.elapsed() < readTimeoutMs) {
        if (!waitReadable(m_display, readTimeoutMs - int(elapsed.elapsed()))) {
            continue;
        }
        XEvent event;
        XNextEvent(m_display, &event);
        if (event.type != SelectionNotify || event.xselection.requestor != m_window) {
            // Other events (owner changes, presses) keep their meaning; they are handled on the way.
            handleEvent(&event);
            continue;
        }
        if (event.xselection.property == None) {
            return std::nullopt;
        }
        Atom type = None;
        int format = 0;
        unsigned long count = 0;
        unsigned long remaining = 0;
        unsigned char* data = nullptr;
        XGetWindowProperty(m_display, m_window, property, 0, 0x1000000, True, AnyPropertyType, &type, &format, &count,
                           &remaining, &data);
        std::optional<QByteArray> bytes;
        if (type == XInternAtom(m_display, "INCR", False)) {
            bytes = readIncremental(property);
        } else if (data != nullptr && format == 8) {
            bytes = QByteArray(reinterpret_cast<const char*>(data), int(count));
        }
        if (data != nullptr) {
            XFree(data);
        }
        return bytes;
    }
    return std::nullopt;
}

std::optional<QByteArray> X11PrimarySelection::readIncremental(unsigned long property)
{
    // Large selections arrive in chunks, one property write each, ended by an empty one.
    QByteArray bytes;
    QElapsedTimer elapsed;
    elapsed.start();
    while (elapsed.elapsed() < readTimeoutMs) {
        if (!waitReadable(m_display, readTimeoutMs - int(elapsed.elapsed()))) {
            continue;
        }
        XEvent event;
        XNextEvent(m_display, &event);
        if (event.type != PropertyNotify || event.xproperty.window != m_window || event.xproperty.atom != property ||
            event.xproperty.state != PropertyNewValue) {
            handleEvent(&event);
            continue;
        }
        Atom type = None;
        int format = 0;
        unsigned long count = 0;
        unsigned long remaining = 0;
        unsigned char* data = nullptr;
        XGetWindowProperty(m_display, m_window, property, 0, 0x1000000, True, AnyPropertyType, &type, &format, &count,
                           &remaining, &data);
        const QByteArray chunk =
            data != nullptr ? QByteArray(reinterpret_cast<const char*>(data), int(count)) : QByteArray();
        if (data != nullptr) {
            XFree(data);
        }
        if (chunk.isEmpty()) {
            return bytes;
        }
        bytes += chunk;
    }
    return std::nullopt;
}

} // namespace quillora
