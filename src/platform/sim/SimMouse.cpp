#include "platform/sim/SimMouse.h"

#include <algorithm>

namespace quillora {

std::optional<MouseMonitorHandle> SimMouse::addGlobalMonitor(MouseEventType type, Handler handler)
{
    if (m_refusesMonitors) {
        return std::nullopt;
    }
    const MouseMonitorHandle handle{m_nextHandle++};
    m_monitors.append(Monitor{handle, type, std::move(handler)});
    return handle;
}

void SimMouse::removeMonitor(MouseMonitorHandle handle)
{
    m_monitors.removeIf([handle](const Monitor& monitor) { return monitor.handle == handle; });
}

void SimMouse::press(QPointF location, int clickCount)
{
    m_location = location;
    deliver(MouseEvent{MouseEventType::leftMouseDown, clickCount, location});
}

void SimMouse::release(QPointF location, int clickCount)
{
    m_location = location;
    deliver(MouseEvent{MouseEventType::leftMouseUp, clickCount, location});
}

void SimMouse::click(QPointF location, int clickCount)
{
    press(location, clickCount);
    release(location, clickCount);
}

void SimMouse::drag(QPointF from, QPointF to)
{
    press(from);
    release(to);
}

void SimMouse::doubleClick(QPointF location)
{
    click(location, 1);
    click(location, 2);
}

void SimMouse::deliver(const MouseEvent& event)
{
    // A handler may install or remove monitors; work on a snapshot of the handles and skip the
    // monitors that are gone by the time their turn comes.
    QList<MouseMonitorHandle> handles;
    for (const Monitor& monitor : std::as_const(m_monitors)) {
        if (monitor.type == event.type) {
            handles.append(monitor.handle);
        }
    }
    for (const MouseMonitorHandle handle : handles) {
        const auto found = std::find_if(m_monitors.cbegin(), m_monitors.cend(),
                                        [handle](const Monitor& monitor) { return monitor.handle == handle; });
        if (found != m_monitors.cend()) {
            const Handler handler = found->handler;
            handler(event);
        }
    }
}

} // namespace quillora
