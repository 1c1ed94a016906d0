#include "platform/MouseMonitorRegistry.h"

#include <algorithm>

namespace quillora {

MouseMonitorHandle MouseMonitorRegistry::add(MouseEventType type, MouseMonitor::Handler handler)
{
    const MouseMonitorHandle handle{m_nextHandle++};
    m_monitors.append(Monitor{handle, type, std::move(handler)});
    return handle;
}

void MouseMonitorRegistry::remove(MouseMonitorHandle handle)
{
    m_monitors.removeIf([handle](const Monitor& monitor) { return monitor.handle == handle; });
}

void MouseMonitorRegistry::deliver(const MouseEvent& event) const
{
    // Work on a snapshot of the handles, and look each one up again before its call, because a
    // handler may change the list under us.
    QList<MouseMonitorHandle> handles;
    for (const Monitor& monitor : m_monitors) {
        if (monitor.type == event.type) {
            handles.append(monitor.handle);
        }
    }
    for (const MouseMonitorHandle handle : handles) {
        const auto found = std::find_if(m_monitors.cbegin(), m_monitors.cend(),
                                        [handle](const Monitor& monitor) { return monitor.handle == handle; });
        if (found != m_monitors.cend()) {
            // A copy: the handler may remove its own monitor, destroying the stored one.
            const MouseMonitor::Handler handler = found->handler;
            handler(event);
        }
    }
}

} // namespace quillora
