#include "platform/ScreenCoordinates.h"

namespace quillora {

ScreenCoordinates::ScreenCoordinates(QRectF primaryGeometry)
    : m_originX(primaryGeometry.left())
    , m_bottomY(primaryGeometry.top() + primaryGeometry.height())
{
}

QPointF ScreenCoordinates::toQt(QPointF point) const
{
    return {m_originX + point.x(), m_bottomY - point.y()};
}

QPointF ScreenCoordinates::fromQt(QPointF qtPoint) const
{
    return {qtPoint.x() - m_originX, m_bottomY - qtPoint.y()};
}

QRectF ScreenCoordinates::toQt(const QRectF& rect) const
{
    // The rectangle's top edge (origin y + height) becomes the Qt rectangle's top.
    const QPointF topLeft = toQt(QPointF(rect.x(), rect.y() + rect.height()));
    return {topLeft, rect.size()};
}

QRectF ScreenCoordinates::fromQt(const QRectF& qtRect) const
{
    const QPointF bottomLeft = fromQt(QPointF(qtRect.x(), qtRect.y() + qtRect.height()));
    return {bottomLeft, qtRect.size()};
}

bool mouseInRect(QPointF p, const QRectF& rect)
{
    if (rect.width() <= 0 || rect.height() <= 0) {
        return false;
    }
    return p.x() >= rect.x() && p.x() < rect.x() + rect.width() && p.y() >= rect.y() &&
           p.y() < rect.y() + rect.height();
}

} // namespace quillora
