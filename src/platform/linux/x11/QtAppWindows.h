#pragma once

#include "platform/AppWindows.h"

#include <memory>

namespace quillora {

class Screens;
class X11CompositingWatch;
class X11FloatingRaiser;

/**
 * This application's top-level Qt windows (QGuiApplication::topLevelWindows()), converted to
 * screen points with the screens' conversion. Tool windows are the panels; the frame is the
 * window with its decorations (frameGeometry), the content its client area (geometry). Empty
 * without a QGuiApplication.
 */
class QtAppWindows final : public AppWindows
{
public:
    /** How floating windows are shown: managed like other windows, or past the window manager. */
    enum class FloatingWindows { managed, bypassWindowManager };

    /**
     * Past the window manager, floating windows are kept on top of the X stack: a compositor that
     * restacks its managed Xwayland windows as focus moves (sway) would otherwise put one above a
     * floating window where it draws the floating window on top, and the X server would send the
     * presses made on the floating window to the managed one.
     */
    explicit QtAppWindows(const Screens& screens, FloatingWindows floating = FloatingWindows::managed);
    ~QtAppWindows() override;

    [[nodiscard]] QList<AppWindowInfo> windows() const override;

    /**
     * Asks the X server which top-level window is at `location`, in stacking order and by input
     * shape, and whether it is (or is the window manager's frame of) one of ours; the frames'
     * geometry without an X11 connection.
     */
    [[nodiscard]] bool isFrontmostAt(QPointF location) const override;

    /** Sets the window's X11 input shape through XFixes; nothing without an X11 connection. */
    void setInputRegion(quintptr windowId, const QList<QRect>& rects) override;

    [[nodiscard]] bool floatingWindowsBypassWindowManager() const override
    {
        return m_floating == FloatingWindows::bypassWindowManager;
    }

    /**
     * Past the window manager (on Wayland, through Xwayland) the compositor draws every window:
     * true. Managed (X11): whether a compositing manager runs, followed as it starts and stops.
     */
    [[nodiscard]] bool windowsAreComposited() override;

private:
    const Screens& m_screens;
    FloatingWindows m_floating;
    std::unique_ptr<X11FloatingRaiser> m_raiser;
    std::unique_ptr<X11CompositingWatch> m_compositing;
};

} // namespace quillora
