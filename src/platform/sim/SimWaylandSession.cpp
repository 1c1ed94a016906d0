#include "platform/sim/SimWaylandSession.h"

namespace quillora {

std::optional<SelectionChangeHandle> SimWaylandSession::addHandler(Handler handler)
{
    const quint64 handle = m_nextHandle++;
    m_handlers.insert(handle, std::move(handler));
    return SelectionChangeHandle{handle};
}

void SimWaylandSession::removeHandler(SelectionChangeHandle handle)
{
    m_handlers.remove(handle.value);
}

QCoro::Task<std::optional<QPointF>> SimWaylandSession::pointerLocation()
{
    co_return m_pointer;
}

QCoro::Task<std::optional<ForeignWindow>> SimWaylandSession::focusedWindow()
{
    co_return m_window;
}

void SimWaylandSession::reportChange()
{
    const QList<Handler> handlers = m_handlers.values();
    for (const Handler& handler : handlers) {
        handler();
    }
}

} // namespace quillora
