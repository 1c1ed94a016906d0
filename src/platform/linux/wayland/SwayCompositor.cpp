#include "platform/linux/wayland/SwayCompositor.h"

#include "platform/linux/wayland/SwayIpcFrame.h"
#include "platform/linux/wayland/SwayTree.h"

namespace quillora {

SwayCompositor::SwayCompositor(Clock& clock, QString socketPath)
    : m_ipc(clock, std::move(socketPath))
{
}

QCoro::Task<std::optional<QPointF>> SwayCompositor::pointerLocation()
{
    co_return std::nullopt;
}

QCoro::Task<std::optional<ForeignWindow>> SwayCompositor::focusedWindow()
{
    const std::optional<QByteArray> tree = co_await m_ipc.request(SwayIpcFrame::getTree);
    co_return tree ? SwayTree::focusedWindow(*tree) : std::nullopt;
}

} // namespace quillora
