#include "app/IconPanel.h"

#include "platform/ScreenCoordinates.h"

namespace quillora {

bool IconPanel::contains(QPointF p) const
{
    return mouseInRect(p, frame());
}

void IconPanel::setOnHover(std::function<void()> onHover)
{
    m_onHover = std::move(onHover);
}

void IconPanel::setOnClick(std::function<void()> onClick)
{
    m_onClick = std::move(onClick);
}

void IconPanel::setIdentifier(QString identifier)
{
    m_identifier = std::move(identifier);
    identifierChanged();
}

} // namespace quillora
