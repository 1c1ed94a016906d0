#include "RawKeyCounter.h"

// X11 headers come last: their macros (None, Bool, Status) clash with Qt's.
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

namespace quillora::test {

RawKeyCounter::RawKeyCounter()
    : m_display(XOpenDisplay(nullptr))
{
    int event = 0;
    int error = 0;
    if (m_display == nullptr || XQueryExtension(m_display, "XInputExtension", &m_opcode, &event, &error) == 0) {
        return;
    }
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawKeyPress);
    XIEventMask mask{XIAllMasterDevices, int(sizeof(bits)), bits};
    XISelectEvents(m_display, DefaultRootWindow(m_display), &mask, 1);
    XSync(m_display, False);
}

RawKeyCounter::~RawKeyCounter()
{
    if (m_display != nullptr) {
        XCloseDisplay(m_display);
    }
}

int RawKeyCounter::presses()
{
    if (m_display == nullptr) {
        return -1;
    }
    XSync(m_display, False);
    while (XPending(m_display) > 0) {
        XEvent event;
        XNextEvent(m_display, &event);
        if (event.xcookie.type == GenericEvent && event.xcookie.extension == m_opcode &&
            event.xcookie.evtype == XI_RawKeyPress) {
            ++m_presses;
        }
    }
    return m_presses;
}

void RawKeyCounter::reset()
{
    static_cast<void>(presses());
    m_presses = 0;
}

std::optional<QRect> clientGeometry(quint64 window)
{
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return std::nullopt;
    }
    std::optional<QRect> geometry;
    XWindowAttributes attributes{};
    int x = 0;
    int y = 0;
    Window child = 0;
    if (XGetWindowAttributes(display, Window(window), &attributes) != 0 &&
        XTranslateCoordinates(display, Window(window), DefaultRootWindow(display), 0, 0, &x, &y, &child) != 0) {
        geometry = QRect(x, y, attributes.width, attributes.height);
    }
    XCloseDisplay(display);
    return geometry;
}

} // namespace quillora::test
