#pragma once

#include <QPointF>
#include <QRectF>

namespace quillora {

/**
 * Converts between the design's screen coordinates (points, origin at the bottom-left corner of the
 * primary screen, y growing upward) and Qt's (origin at the top-left corner of the virtual
 * desktop, y growing downward). The conversion needs only the primary screen's geometry in Qt's
 * coordinates. Window placement and screen queries go through here, nowhere else.
 */
class ScreenCoordinates final
{
public:
    /** The conversion for a primary screen at `primaryGeometry` (Qt's coordinates). */
    explicit ScreenCoordinates(QRectF primaryGeometry = {});

    /** A design point in Qt's coordinates. */
    [[nodiscard]] QPointF toQt(QPointF designPoint) const;

    /** A Qt point in the design's coordinates. */
    [[nodiscard]] QPointF fromQt(QPointF qtPoint) const;

    /** A design rectangle (origin at its bottom-left corner) in Qt's coordinates (top-left origin). */
    [[nodiscard]] QRectF toQt(const QRectF& designRect) const;

    /** A Qt rectangle in the design's coordinates. */
    [[nodiscard]] QRectF fromQt(const QRectF& qtRect) const;

private:
    // The y of the primary screen's bottom edge in Qt's coordinates: the design's y = 0.
    double m_originX;
    double m_bottomY;
};

/**
 * The platform's point-in-rectangle test for the pointer in the design's (unflipped) coordinates:
 * the left and bottom edges are inside, the right and top edges outside. An empty rectangle holds
 * no point.
 */
[[nodiscard]] bool mouseInRect(QPointF p, const QRectF& rect);

} // namespace quillora
