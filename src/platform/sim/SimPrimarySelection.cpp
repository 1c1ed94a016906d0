#include "platform/sim/SimPrimarySelection.h"

namespace quillora {

void SimPrimarySelection::beginGesture()
{
    m_changesAtGesture = m_ownerChanges;
}

std::optional<QString> SimPrimarySelection::textChangedDuringGesture()
{
    ++m_reads;
    if (m_ownerChanges == m_changesAtGesture || !m_answers) {
        return std::nullopt;
    }
    return m_text;
}

void SimPrimarySelection::takeOwnership(const QString& text)
{
    m_text = text;
    ++m_ownerChanges;
}

} // namespace quillora
