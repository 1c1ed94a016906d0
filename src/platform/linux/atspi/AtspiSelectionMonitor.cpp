#include "platform/linux/atspi/AtspiSelectionMonitor.h"

#include "platform/linux/atspi/LinuxAccessibility.h"

namespace quillora {

AtspiSelectionMonitor::AtspiSelectionMonitor(LinuxAccessibility& accessibility)
    : m_accessibility(accessibility)
{
}

AtspiSelectionMonitor::~AtspiSelectionMonitor()
{
    if (!m_handlers.isEmpty()) {
        static_cast<void>(m_accessibility.watchSelections({}));
    }
}

std::optional<SelectionChangeHandle> AtspiSelectionMonitor::addHandler(Handler handler)
{
    if (m_handlers.isEmpty() && !m_accessibility.watchSelections([this] { reportChange(); })) {
        return std::nullopt;
    }
    const quint64 handle = m_nextHandle++;
    m_handlers.insert(handle, std::move(handler));
    return SelectionChangeHandle{handle};
}

void AtspiSelectionMonitor::removeHandler(SelectionChangeHandle handle)
{
    if (m_handlers.remove(handle.value) > 0 && m_handlers.isEmpty()) {
        static_cast<void>(m_accessibility.watchSelections({}));
    }
}

std::optional<QRectF> AtspiSelectionMonitor::selectionEndInWindow()
{
    return m_accessibility.selectionEndInWindow();
}

void AtspiSelectionMonitor::reportChange()
{
    // A handler may remove itself (or another) while it runs: the handlers are copied first.
    const QList<Handler> handlers = m_handlers.values();
    for (const Handler& handler : handlers) {
        handler();
    }
}

} // namespace quillora
