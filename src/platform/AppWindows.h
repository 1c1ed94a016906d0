#pragma once

#include <QList>
#include <QRect>
#include <QRectF>

#include <algorithm>
#include <optional>

namespace quillora {

/**
 * One top-level window of this application. Rectangles are in screen points (points,
 * origin at the bottom-left corner of the primary screen, y growing upward): a rectangle's
 * `y()` is its bottom edge.
 */
struct AppWindowInfo
{
    bool isVisible = true;
    bool isMiniaturized = false;
    /** A floating utility panel (the icon and results windows) rather than an ordinary window. */
    bool isPanel = false;
    /** The whole window, decorations included. */
    QRectF frame;
    /** The content area in screen coordinates; none when the window has no content. */
    std::optional<QRectF> contentRect;

    bool operator==(const AppWindowInfo&) const = default;
};

/** This application's own top-level windows, as the platform knows them. Main thread. */
class AppWindows
{
public:
    AppWindows() = default;
    AppWindows(const AppWindows&) = delete;
    AppWindows& operator=(const AppWindows&) = delete;
    virtual ~AppWindows() = default;

    /** Every top-level window of this application, hidden ones included. Never fails. */
    [[nodiscard]] virtual QList<AppWindowInfo> windows() const = 0;

    /**
     * Whether the topmost window at `location` (decorations included) is one of this application's:
     * a window hidden behind another application's is not. Where the stacking is unknown, as here,
     * any visible window whose frame holds `location` counts. Never fails.
     */
    [[nodiscard]] virtual bool isFrontmostAt(QPointF location) const
    {
        const QList<AppWindowInfo> all = windows();
        return std::any_of(all.cbegin(), all.cend(), [location](const AppWindowInfo& window) {
            return window.isVisible && !window.isMiniaturized && window.frame.contains(location);
        });
    }

    /**
     * Limits where the native window `windowId` takes pointer input to `rects` (window-local
     * device pixels, origin top-left); presses elsewhere in it go to the window below, as if it
     * were not there. The window still draws everywhere (a shadow, say). Does nothing where the
     * platform cannot shape input. Never fails.
     */
    virtual void setInputRegion(quintptr windowId, const QList<QRect>& rects) = 0;

    /**
     * True where floating windows must place themselves past the window manager (as tooltips do)
     * to appear exactly where asked without taking focus: on Wayland, through Xwayland, whose
     * window managers centre or focus ordinary tool windows.
     */
    [[nodiscard]] virtual bool floatingWindowsBypassWindowManager() const { return false; }

    /**
     * True where the desktop blends translucent windows with what lies below them. Where nothing
     * composites (an X11 window manager without a compositing manager), the transparent pixels of
     * a window show black: floating windows then give themselves the shape of what they draw.
     * Wayland compositors always composite. May change while the program runs. Never fails.
     */
    [[nodiscard]] virtual bool windowsAreComposited() { return true; }
};

} // namespace quillora
