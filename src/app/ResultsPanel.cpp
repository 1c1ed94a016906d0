#include "app/ResultsPanel.h"

#include "platform/ScreenCoordinates.h"

namespace quillora {

bool ResultsPanel::contains(QPointF p) const
{
    return mouseInRect(p, frame());
}

void ResultsPanel::setOnSelect(std::function<void(const QString&)> onSelect)
{
    m_onSelect = std::move(onSelect);
}

void ResultsPanel::setIdentifier(QString identifier)
{
    m_identifier = std::move(identifier);
    identifierChanged();
}

} // namespace quillora
