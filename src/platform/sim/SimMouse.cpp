#include "platform/sim/SimMouse.h"

namespace quillora {

std::optional<MouseMonitorHandle> SimMouse::addGlobalMonitor(MouseEventType type, Handler handler)
{
    if (m_refusesMonitors) {
        return std::nullopt;
    }
    return m_monitors.add(type, std::move(handler));
}

void SimMouse::removeMonitor(MouseMonitorHandle handle)
{
    m_monitors.remove(handle);
}

void SimMouse::press(QPointF location, int clickCount)
{
    m_location = location;
    m_monitors.deliver(MouseEvent{MouseEventType::leftMouseDown, clickCount, location});
}

void SimMouse::release(QPointF location, int clickCount)
{
    m_location = location;
    m_monitors.deliver(MouseEvent{MouseEventType::leftMouseUp, clickCount, location});
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

} // namespace quillora
