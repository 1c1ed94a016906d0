#pragma once

#include "platform/AppWindows.h"

namespace quillora {

class Screens;

/**
 * This application's top-level Qt windows (QGuiApplication::topLevelWindows()), converted to the
 * design's coordinates with the screens' conversion. Tool windows are the panels; the frame is the
 * window with its decorations (frameGeometry), the content its client area (geometry). Empty
 * without a QGuiApplication.
 */
class QtAppWindows final : public AppWindows
{
public:
    explicit QtAppWindows(const Screens& screens);

    [[nodiscard]] QList<AppWindowInfo> windows() const override;

    /**
     * Asks the X server which top-level window is at `location`, in stacking order and by input
     * shape, and whether it is (or is the window manager's frame of) one of ours; the frames'
     * geometry without an X11 connection.
     */
    [[nodiscard]] bool isFrontmostAt(QPointF location) const override;

    /** Sets the window's X11 input shape through XFixes; nothing without an X11 connection. */
    void setInputRegion(quintptr windowId, const QList<QRect>& rects) override;

private:
    const Screens& m_screens;
};

} // namespace quillora
