#include "platform/linux/gnome/ShellCompanionCompositor.h"

#include "platform/linux/gnome/ShellCompanion.h"

namespace quillora {

QCoro::Task<std::optional<QPointF>> ShellCompanionCompositor::pointerLocation()
{
    co_return co_await m_companion.pointer();
}

QCoro::Task<std::optional<ForeignWindow>> ShellCompanionCompositor::focusedWindow()
{
    co_return co_await m_companion.focusedWindow();
}

} // namespace quillora
