#include "ui/FloatingPanel.h"

#include "platform/Platform.h"
#include "platform/ScreenCoordinates.h"
#include "platform/Screens.h"

namespace quillora {

FloatingPanel::FloatingPanel(QSizeF panelSize, int margin)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus)
    , m_panelSize(panelSize)
    , m_margin(margin)
{
    // Without WindowDoesNotAcceptFocus the window manager gives the panel the focus when it is
    // shown or clicked, and the paste would land in the panel instead of the user's application.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(static_cast<int>(panelSize.width()) + 2 * margin, static_cast<int>(panelSize.height()) + 2 * margin);
}

void FloatingPanel::moveToOrigin(QPointF origin)
{
    m_origin = origin;
    const ScreenCoordinates coordinates = Platform::current().screens().coordinates();
    const QPointF panelTopLeft = coordinates.toQt(panelFrame()).topLeft();
    move((panelTopLeft - QPointF(m_margin, m_margin)).toPoint());
}

void FloatingPanel::showOnTop()
{
    QWidget::show();
    raise();
}

} // namespace quillora
