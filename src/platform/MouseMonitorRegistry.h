#pragma once

#include "platform/MouseMonitor.h"

#include <QList>

namespace quillora {

/**
 * The installed global monitors of a mouse backend: hands out handles, forgets removed monitors and
 * delivers an event to every monitor of its type, in installation order.
 */
class MouseMonitorRegistry final
{
public:
    /** Installs `handler` for events of `type`; returns its new handle. */
    [[nodiscard]] MouseMonitorHandle add(MouseEventType type, MouseMonitor::Handler handler);

    /** Removes the monitor with this handle; an unknown or already removed handle is ignored. */
    void remove(MouseMonitorHandle handle);

    /**
     * Calls every monitor of the event's type. A handler may install or remove monitors: those
     * installed meanwhile wait for the next event, and those removed before their turn are skipped.
     */
    void deliver(const MouseEvent& event) const;

    [[nodiscard]] bool isEmpty() const { return m_monitors.isEmpty(); }

    /** How many monitors are installed now. */
    [[nodiscard]] int size() const { return static_cast<int>(m_monitors.size()); }

private:
    struct Monitor
    {
        MouseMonitorHandle handle;
        MouseEventType type;
        MouseMonitor::Handler handler;
    };

    QList<Monitor> m_monitors;
    quint64 m_nextHandle = 1;
};

} // namespace quillora
