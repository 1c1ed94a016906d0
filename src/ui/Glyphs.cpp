#include "ui/Glyphs.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace quillora {

namespace {

// Every glyph is designed in a 24 × 24 box.
constexpr double kBox = 24;

QPainterPath star(double cx, double cy, double r)
{
    // Concave sides: each quarter bends towards the centre through a control point near it.
    const double k = 0.16 * r;
    QPainterPath path;
    path.moveTo(cx, cy - r);
    path.quadTo(cx + k, cy - k, cx + r, cy);
    path.quadTo(cx + k, cy + k, cx, cy + r);
    path.quadTo(cx - k, cy + k, cx - r, cy);
    path.quadTo(cx - k, cy - k, cx, cy - r);
    path.closeSubpath();
    return path;
}

QPen strokePen(const QColor& color, double width)
{
    QPen pen(color, width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

void drawTextCursor(QPainter& painter, const QColor& color, double width)
{
    QPainterPath path;
    const double c = 12;
    const double top = 3.5;
    const double bottom = 20.5;
    path.moveTo(c - 4.5, top);
    path.cubicTo(c - 1.5, top, c, top + 1, c, top + 3);
    path.moveTo(c + 4.5, top);
    path.cubicTo(c + 1.5, top, c, top + 1, c, top + 3);
    path.lineTo(c, bottom - 3);
    path.moveTo(c - 4.5, bottom);
    path.cubicTo(c - 1.5, bottom, c, bottom - 1, c, bottom - 3);
    path.moveTo(c + 4.5, bottom);
    path.cubicTo(c + 1.5, bottom, c, bottom - 1, c, bottom - 3);
    painter.strokePath(path, strokePen(color, width));
}

void drawSparkles(QPainter& painter, const QColor& color)
{
    QPainterPath path = star(9.5, 14, 8.5);
    path.addPath(star(18.5, 5.5, 4.5));
    path.addPath(star(19.5, 18, 3));
    painter.fillPath(path, color);
}

void drawExclamationTriangle(QPainter& painter, const QColor& color)
{
    QPainterPath triangle;
    triangle.moveTo(12, 2.5);
    triangle.lineTo(22.5, 21);
    triangle.lineTo(1.5, 21);
    triangle.closeSubpath();
    // Rounded corners: stroke the outline with a thick round join and fill it.
    QPainterPathStroker stroker;
    stroker.setWidth(2.5);
    stroker.setJoinStyle(Qt::RoundJoin);
    QPainterPath body = triangle.united(stroker.createStroke(triangle));
    QPainterPath mark;
    mark.addRoundedRect(QRectF(10.8, 8, 2.4, 7.5), 1.2, 1.2);
    mark.addEllipse(QPointF(12, 18), 1.4, 1.4);
    painter.fillPath(body.subtracted(mark), color);
}

void drawDocOnDoc(QPainter& painter, const QColor& color, double width)
{
    const QRectF front(4, 8, 11.5, 13.5);
    const QRectF back(8.5, 2.5, 11.5, 13.5);
    QPainterPath outside;
    outside.addRect(QRectF(0, 0, kBox, kBox));
    QPainterPath frontArea;
    frontArea.addRoundedRect(front.adjusted(-width, -width, width, width), 3, 3);
    painter.save();
    painter.setClipPath(outside.subtracted(frontArea));
    painter.setPen(strokePen(color, width));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(back, 2.5, 2.5);
    painter.restore();
    painter.setPen(strokePen(color, width));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(front, 2.5, 2.5);
}

void drawCheckmark(QPainter& painter, const QColor& color, double width)
{
    QPainterPath path;
    path.moveTo(4.5, 12.5);
    path.lineTo(9.5, 18);
    path.lineTo(19.5, 5.5);
    painter.strokePath(path, strokePen(color, width));
}

} // namespace

void drawGlyph(QPainter& painter, Glyph glyph, const QRectF& rect, const QColor& color, bool bold)
{
    const double side = std::min(rect.width(), rect.height());
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(rect.center().x() - side / 2, rect.center().y() - side / 2);
    painter.scale(side / kBox, side / kBox);
    const double width = bold ? 2.6 : 2.0;
    switch (glyph) {
    case Glyph::TextCursor:
        drawTextCursor(painter, color, width);
        break;
    case Glyph::Sparkles:
        drawSparkles(painter, color);
        break;
    case Glyph::ExclamationTriangle:
        drawExclamationTriangle(painter, color);
        break;
    case Glyph::DocOnDoc:
        drawDocOnDoc(painter, color, width);
        break;
    case Glyph::Checkmark:
        drawCheckmark(painter, color, width * 1.2);
        break;
    }
    painter.restore();
}

} // namespace quillora
