#pragma once

#include "platform/AppWindows.h"

#include <QHash>

namespace quillora {

/** The simulated application's own windows: whatever list the test sets. */
class SimAppWindows final : public AppWindows
{
public:
    [[nodiscard]] QList<AppWindowInfo> windows() const override { return m_windows; }

    [[nodiscard]] bool isFrontmostAt(QPointF location) const override
    {
        return std::none_of(m_windowsAbove.cbegin(), m_windowsAbove.cend(),
                            [location](const QRectF& frame) { return frame.contains(location); }) &&
               AppWindows::isFrontmostAt(location);
    }

    void setInputRegion(quintptr windowId, const QList<QRect>& rects) override { m_inputRegions[windowId] = rects; }

    /** The input region last set for `windowId`; none when it was never limited. */
    [[nodiscard]] std::optional<QList<QRect>> inputRegion(quintptr windowId) const
    {
        return m_inputRegions.contains(windowId) ? std::optional(m_inputRegions.value(windowId)) : std::nullopt;
    }

    [[nodiscard]] bool windowsAreComposited() override { return m_composited; }

    /** Whether the simulated desktop composites windows (it does until told otherwise). */
    void setComposited(bool composited) { m_composited = composited; }

    /** Replaces the list of windows. */
    void setWindows(QList<AppWindowInfo> windows) { m_windows = std::move(windows); }

    /** The frames of other applications' windows, stacked above all of this application's. */
    void setWindowsAbove(QList<QRectF> frames) { m_windowsAbove = std::move(frames); }

private:
    QList<AppWindowInfo> m_windows;
    QList<QRectF> m_windowsAbove;
    QHash<quintptr, QList<QRect>> m_inputRegions;
    bool m_composited = true;
};

} // namespace quillora
