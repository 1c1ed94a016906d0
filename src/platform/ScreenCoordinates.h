#pragma once

#include <QPointF>
#include <QRectF>

namespace quillora {

/**
 * Screen points: the coordinates of every position and frame in the logic (the tracker, the
 * accessibility layer, the panels' placement, stored geometry). One point is one logical pixel;
 * the origin is the bottom-left corner of the primary screen and y grows upward, so "above the
 * selection" is a larger y. They are kept because the accessibility records, the anchoring rules
 * and the simulated desktop are all written in them; Qt's own coordinates (origin top-left of the
 * virtual desktop, y growing downward) appear only where a window is placed or a screen is read,
 * through this one conversion, which needs only the primary screen's geometry in Qt's coordinates.
 */
class ScreenCoordinates final
{
public:
    /** The conversion for a primary screen at `primaryGeometry` (Qt's coordinates). */
    explicit ScreenCoordinates(QRectF primaryGeometry = {});

    /** `point` (screen points) in Qt's coordinates. */
    [[nodiscard]] QPointF toQt(QPointF point) const;

    /** A Qt point in screen points. */
    [[nodiscard]] QPointF fromQt(QPointF qtPoint) const;

    /** `rect` (screen points, origin at its bottom-left corner) in Qt's coordinates (top-left origin). */
    [[nodiscard]] QRectF toQt(const QRectF& rect) const;

    /** A Qt rectangle in screen points. */
    [[nodiscard]] QRectF fromQt(const QRectF& qtRect) const;

private:
    // The y of the primary screen's bottom edge in Qt's coordinates: y = 0 in screen points.
    double m_originX;
    double m_bottomY;
};

/**
 * The platform's point-in-rectangle test for the pointer in screen points:
 * the left and bottom edges are inside, the right and top edges outside. An empty rectangle holds
 * no point.
 */
[[nodiscard]] bool mouseInRect(QPointF p, const QRectF& rect);

} // namespace quillora
