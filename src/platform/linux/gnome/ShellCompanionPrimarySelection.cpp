#include "platform/linux/gnome/ShellCompanionPrimarySelection.h"

#include "platform/linux/gnome/ShellCompanion.h"

namespace quillora {

ShellCompanionPrimarySelection::ShellCompanionPrimarySelection(ShellCompanion& companion)
    : m_companion(companion)
{
    connect(&companion, &ShellCompanion::primaryChanged, this, [this] {
        m_changedSinceGesture = true;
        if (m_offerHandler) {
            m_offerHandler();
        }
    });
}

void ShellCompanionPrimarySelection::beginGesture()
{
    m_changedSinceGesture = false;
}

std::optional<QString> ShellCompanionPrimarySelection::textChangedDuringGesture()
{
    if (!m_changedSinceGesture) {
        return std::nullopt;
    }
    const std::optional<QString> text = m_companion.readPrimary();
    if (!text || text->isEmpty()) {
        return std::nullopt;
    }
    return text;
}

} // namespace quillora
