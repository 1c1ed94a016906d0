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

void ResultsPanel::setOnVisibilityChanged(std::function<void(bool)> onVisibilityChanged)
{
    m_onVisibilityChanged = std::move(onVisibilityChanged);
}

void ResultsPanel::notifyVisibility(bool onScreen) const
{
    if (m_onVisibilityChanged) {
        m_onVisibilityChanged(onScreen);
    }
}

} // namespace quillora
