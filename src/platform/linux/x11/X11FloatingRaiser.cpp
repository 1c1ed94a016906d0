#include "platform/linux/x11/X11FloatingRaiser.h"

#include <QGuiApplication>
#include <QWindow>

#include <xcb/xcb.h>

// X11 headers come last: their macros clash with Qt's.
#include <X11/Xlib.h>

namespace quillora {

namespace {

Display* qtDisplay()
{
    auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    const auto* x11 =
        application != nullptr ? application->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 != nullptr ? x11->display() : nullptr;
}

} // namespace

X11FloatingRaiser::X11FloatingRaiser()
{
    Display* display = qtDisplay();
    if (display == nullptr) {
        return;
    }
    // The mask is this client's for the root window: Qt's own selection stays, restacks are added.
    const Window root = DefaultRootWindow(display);
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, root, &attributes);
    XSelectInput(display, root, attributes.your_event_mask | SubstructureNotifyMask);
    XFlush(display);
    QCoreApplication::instance()->installNativeEventFilter(this);
    m_installed = true;
}

X11FloatingRaiser::~X11FloatingRaiser()
{
    if (m_installed && QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
    }
}

bool X11FloatingRaiser::nativeEventFilter(const QByteArray& eventType, void* message, qintptr* /*result*/)
{
    if (eventType != "xcb_generic_event_t") {
        return false;
    }
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    switch (event->response_type & 0x7f) {
    case XCB_CONFIGURE_NOTIFY:
        raiseFloatingWindows(reinterpret_cast<const xcb_configure_notify_event_t*>(event)->window);
        break;
    case XCB_MAP_NOTIFY:
        raiseFloatingWindows(reinterpret_cast<const xcb_map_notify_event_t*>(event)->window);
        break;
    default:
        break;
    }
    return false;
}

void X11FloatingRaiser::raiseFloatingWindows(unsigned long movedWindow) const
{
    const QWindowList windows = QGuiApplication::topLevelWindows();
    for (const QWindow* window : windows) {
        // Raising a floating window reports its own restack: that one is left alone.
        if (window->type() == Qt::ToolTip && window->handle() != nullptr && window->winId() == movedWindow) {
            return;
        }
    }
    for (QWindow* window : windows) {
        if (window->type() == Qt::ToolTip && window->isVisible()) {
            window->raise();
        }
    }
}

} // namespace quillora
