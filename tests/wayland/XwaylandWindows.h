#pragma once

#include <QByteArray>
#include <QRect>
#include <QString>

#include <vector>

namespace quillora::test {

/** A top-level window on the X server. */
struct XWindow
{
    quint64 id = 0;
    QString name;
    /** In the root window's coordinates, which Xwayland maps one to one onto the compositor's layout. */
    QRect geometry;
    /** Placed by its program and never managed: how floating windows appear above Wayland windows. */
    bool overrideRedirect = false;
};

/** Reads the windows Xwayland shows, over this process's DISPLAY. */
class XwaylandWindows final
{
public:
    /** Whether an X server answers on `display`. */
    [[nodiscard]] static bool answers(const QByteArray& display);

    /**
     * The viewable windows of the process `pid` (by `_NET_WM_PID`) that are children of the root
     * window: override-redirect ones and, where the window manager does not frame them (sway
     * does not, KWin does), managed ones. Empty when the server does not answer.
     */
    [[nodiscard]] static std::vector<XWindow> of(qint64 pid);
};

} // namespace quillora::test
