#pragma once

#include "platform/MouseMonitorRegistry.h"

namespace quillora {

/**
 * The simulated pointer and left button. Tests and demos move the pointer and inject presses and
 * releases, which every installed monitor of the matching type sees at once, in installation
 * order. All injected events count as made in another application.
 */
class SimMouse final : public MouseMonitor
{
public:
    [[nodiscard]] std::optional<MouseMonitorHandle> addGlobalMonitor(MouseEventType type, Handler handler) override;
    void removeMonitor(MouseMonitorHandle handle) override;
    [[nodiscard]] QPointF mouseLocation() const override { return m_location; }

    /** Moves the pointer without pressing anything. */
    void moveTo(QPointF location) { m_location = location; }

    /** Moves the pointer to `location` and presses the left button there. */
    void press(QPointF location, int clickCount = 1);

    /** Moves the pointer to `location` and releases the left button there. */
    void release(QPointF location, int clickCount = 1);

    /** A press and a release at `location`, both with `clickCount`. */
    void click(QPointF location, int clickCount = 1);

    /** A press at `from`, a move to `to` with the button held, and a release at `to`. */
    void drag(QPointF from, QPointF to);

    /** Two clicks at `location`, the second with click count 2. */
    void doubleClick(QPointF location);

    /** While true, `addGlobalMonitor` refuses and returns none. */
    void setRefusesMonitors(bool refuses) { m_refusesMonitors = refuses; }

    /** How many monitors are installed now. */
    [[nodiscard]] int monitorCount() const { return m_monitors.size(); }

private:
    MouseMonitorRegistry m_monitors;
    QPointF m_location;
    bool m_refusesMonitors = false;
};

} // namespace quillora
