#include "platform/sim/SimGlobalShortcut.h"

namespace quillora {

QCoro::Task<ShortcutBinding> SimGlobalShortcut::bind(QString combination)
{
    m_bound.clear();
    if (combination.isEmpty()) {
        co_return ShortcutBinding{ShortcutBinding::Status::unbound, {}};
    }
    if (m_taken.contains(combination)) {
        co_return ShortcutBinding{ShortcutBinding::Status::taken, QStringLiteral("held by another program")};
    }
    m_bound = combination;
    co_return ShortcutBinding{ShortcutBinding::Status::bound, QStringLiteral("simulated")};
}

void SimGlobalShortcut::press()
{
    if (!m_bound.isEmpty() && m_handler) {
        m_handler();
    }
}

} // namespace quillora
