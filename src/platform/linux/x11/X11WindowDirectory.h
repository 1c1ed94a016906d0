#pragma once

#include "platform/linux/x11/X11ErrorTrap.h"

#include <QList>
#include <QString>

#include <optional>

// Xlib's display type, declared here so that no X11 header (and none of its macros) reaches the
// files that include this one.
struct _XDisplay;

namespace quillora {

/** A top-level client window as the window manager lists it, with its owner's process id. */
struct X11ClientWindow
{
    quint64 id = 0;
    /** From _NET_WM_PID; -1 when the window does not say. */
    qint64 pid = -1;
    /** WM_CLASS instance name, for example "gedit"; empty when unset. */
    QString instanceName;
    /** WM_CLASS class name, for example "Gedit"; empty when unset. */
    QString className;
    /** The application id GTK publishes (_GTK_APPLICATION_ID), which names its .desktop file; empty when unset. */
    QString applicationId;
};

/**
 * A private connection to the X display named by $DISPLAY, opened on first use, and the window
 * manager's view of the top-level windows (_NET_CLIENT_LIST, _NET_ACTIVE_WINDOW). Protocol errors
 * caused by windows that vanish during a query are trapped, never fatal. Main thread only.
 */
class X11WindowDirectory final
{
public:
    X11WindowDirectory();
    ~X11WindowDirectory();
    X11WindowDirectory(const X11WindowDirectory&) = delete;
    X11WindowDirectory& operator=(const X11WindowDirectory&) = delete;

    /** The display, opened on first use; null when no display can be opened. */
    [[nodiscard]] _XDisplay* display();

    /**
     * The client windows in the window manager's order. Empty without a display or without a
     * window manager that publishes _NET_CLIENT_LIST.
     */
    [[nodiscard]] QList<X11ClientWindow> clientWindows();

    /** One top-level window described as `clientWindows` does; none without a display or such a window. */
    [[nodiscard]] std::optional<X11ClientWindow> clientWindow(quint64 id);

    /**
     * True when the display named by $DISPLAY offers XTest and XInput 2, which posting keys and
     * watching the mouse need. False without a display.
     */
    [[nodiscard]] static bool hasInputExtensions();

    /** The window manager's active window; none without a display, a window manager or an active window. */
    [[nodiscard]] std::optional<quint64> activeWindow();

private:
    _XDisplay* m_display = nullptr;
};

} // namespace quillora
