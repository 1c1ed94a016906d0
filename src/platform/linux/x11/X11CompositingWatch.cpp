#include "platform/linux/x11/X11CompositingWatch.h"

#include <QByteArray>
#include <QSocketNotifier>

// X11 headers come last: their macros (None, Bool, Status) clash with Qt's.
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

namespace quillora {

X11CompositingWatch::X11CompositingWatch() = default;

X11CompositingWatch::~X11CompositingWatch()
{
    m_notifier.reset();
    if (m_display != nullptr) {
        XCloseDisplay(m_display);
    }
}

bool X11CompositingWatch::open()
{
    if (m_opened) {
        return m_display != nullptr;
    }
    m_opened = true;
    m_display = XOpenDisplay(nullptr);
    if (m_display == nullptr) {
        return false;
    }
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(DefaultScreen(m_display));
    m_selection = XInternAtom(m_display, name.constData(), False);
    int fixesError = 0;
    int eventBase = 0;
    if (XFixesQueryExtension(m_display, &eventBase, &fixesError) != 0) {
        m_fixesEventBase = eventBase;
        // Selected before the first question, so that no change after it goes unnoticed.
        XFixesSelectSelectionInput(m_display, DefaultRootWindow(m_display), m_selection,
                                   XFixesSetSelectionOwnerNotifyMask | XFixesSelectionWindowDestroyNotifyMask |
                                       XFixesSelectionClientCloseNotifyMask);
        m_notifier = std::make_unique<QSocketNotifier>(ConnectionNumber(m_display), QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] { drain(); });
    }
    m_compositing = askOwner();
    return true;
}

bool X11CompositingWatch::askOwner() const
{
    return XGetSelectionOwner(m_display, m_selection) != None;
}

void X11CompositingWatch::drain()
{
    while (m_display != nullptr && XPending(m_display) > 0) {
        XEvent event;
        XNextEvent(m_display, &event);
        if (event.type == m_fixesEventBase + XFixesSelectionNotify) {
            const auto* notify = reinterpret_cast<const XFixesSelectionNotifyEvent*>(&event);
            m_compositing = notify->subtype == XFixesSetSelectionOwnerNotify && notify->owner != None;
        }
    }
}

bool X11CompositingWatch::isCompositing()
{
    if (!open()) {
        return false;
    }
    if (m_fixesEventBase < 0) {
        return askOwner();
    }
    // Notifications already on the connection count even before the event loop delivered them.
    drain();
    return m_compositing;
}

} // namespace quillora
