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

// A filled disc of the whole box with `cutout` removed from it.
void drawDiscWithCutout(QPainter& painter, const QColor& color, const QPainterPath& cutout)
{
    QPainterPath disc;
    disc.addEllipse(QPointF(12, 12), 10.5, 10.5);
    painter.fillPath(disc.subtracted(cutout), color);
}

QPainterPath strokedPath(const QPainterPath& path, double width)
{
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    return stroker.createStroke(path);
}

void drawPlusCircleFill(QPainter& painter, const QColor& color)
{
    QPainterPath plus;
    plus.moveTo(12, 6.5);
    plus.lineTo(12, 17.5);
    plus.moveTo(6.5, 12);
    plus.lineTo(17.5, 12);
    drawDiscWithCutout(painter, color, strokedPath(plus, 2.4));
}

void drawCheckmarkCircleFill(QPainter& painter, const QColor& color)
{
    QPainterPath tick;
    tick.moveTo(7, 12.5);
    tick.lineTo(10.5, 16);
    tick.lineTo(17, 8.5);
    drawDiscWithCutout(painter, color, strokedPath(tick, 2.4));
}

void drawArrowUpCircleFill(QPainter& painter, const QColor& color)
{
    QPainterPath arrow;
    arrow.moveTo(12, 17.5);
    arrow.lineTo(12, 6.8);
    arrow.moveTo(7.5, 11);
    arrow.lineTo(12, 6.5);
    arrow.lineTo(16.5, 11);
    drawDiscWithCutout(painter, color, strokedPath(arrow, 2.4));
}

void drawLineThreeHorizontal(QPainter& painter, const QColor& color, double width)
{
    QPainterPath path;
    for (const double y : {6.5, 12.0, 17.5}) {
        path.moveTo(4, y);
        path.lineTo(20, y);
    }
    painter.strokePath(path, strokePen(color, width));
}

void drawTrash(QPainter& painter, const QColor& color, double width)
{
    QPainterPath path;
    path.moveTo(3.5, 6);
    path.lineTo(20.5, 6);
    path.moveTo(9, 6);
    path.lineTo(9.5, 3);
    path.lineTo(14.5, 3);
    path.lineTo(15, 6);
    path.moveTo(5.5, 6);
    path.lineTo(6.8, 20);
    path.quadTo(7, 21.5, 8.5, 21.5);
    path.lineTo(15.5, 21.5);
    path.quadTo(17, 21.5, 17.2, 20);
    path.lineTo(18.5, 6);
    path.moveTo(10, 10);
    path.lineTo(10, 17.5);
    path.moveTo(14, 10);
    path.lineTo(14, 17.5);
    painter.strokePath(path, strokePen(color, width));
}

void drawClock(QPainter& painter, const QColor& color, double width)
{
    QPainterPath path;
    path.addEllipse(QPointF(12, 12), 9.5, 9.5);
    path.moveTo(12, 6.5);
    path.lineTo(12, 12);
    path.lineTo(16, 14.5);
    painter.strokePath(path, strokePen(color, width));
}

void drawMagnifyingGlass(QPainter& painter, const QColor& color, double width)
{
    QPainterPath path;
    path.addEllipse(QPointF(10, 10), 6.5, 6.5);
    path.moveTo(14.8, 14.8);
    path.lineTo(20.5, 20.5);
    painter.strokePath(path, strokePen(color, width * 1.1));
}

void drawQuoteOpening(QPainter& painter, const QColor& color)
{
    QPainterPath path;
    for (const double x : {3.5, 13.0}) {
        path.addEllipse(QPointF(x + 3.5, 15), 3.5, 3.5);
        QPainterPath tail;
        tail.moveTo(x, 15);
        tail.cubicTo(x, 10, x + 2.5, 6.5, x + 6.5, 5.5);
        path.addPath(strokedPath(tail, 2.4));
    }
    painter.fillPath(path.simplified(), color);
}

void drawCpu(QPainter& painter, const QColor& color, double width)
{
    QPainterPath path;
    path.addRoundedRect(QRectF(6, 6, 12, 12), 2, 2);
    path.addRect(QRectF(9.5, 9.5, 5, 5));
    for (const double offset : {9.0, 12.0, 15.0}) {
        path.moveTo(offset, 2.5);
        path.lineTo(offset, 6);
        path.moveTo(offset, 18);
        path.lineTo(offset, 21.5);
        path.moveTo(2.5, offset);
        path.lineTo(6, offset);
        path.moveTo(18, offset);
        path.lineTo(21.5, offset);
    }
    painter.strokePath(path, strokePen(color, width * 0.8));
}

void drawTimer(QPainter& painter, const QColor& color, double width)
{
    QPainterPath path;
    path.addEllipse(QPointF(12, 13.5), 8.5, 8.5);
    path.moveTo(12, 13.5);
    path.lineTo(15.5, 9.5);
    path.moveTo(9.5, 2.5);
    path.lineTo(14.5, 2.5);
    path.moveTo(12, 2.5);
    path.lineTo(12, 5);
    painter.strokePath(path, strokePen(color, width));
}

void drawArrowRightDocOnClipboard(QPainter& painter, const QColor& color, double width)
{
    QPainterPath board;
    board.moveTo(9, 4);
    board.lineTo(6.5, 4);
    board.quadTo(4.5, 4, 4.5, 6);
    board.lineTo(4.5, 19.5);
    board.quadTo(4.5, 21.5, 6.5, 21.5);
    board.lineTo(17.5, 21.5);
    board.quadTo(19.5, 21.5, 19.5, 19.5);
    board.lineTo(19.5, 17);
    board.moveTo(19.5, 9.5);
    board.lineTo(19.5, 6);
    board.quadTo(19.5, 4, 17.5, 4);
    board.lineTo(15, 4);
    board.addRoundedRect(QRectF(9, 2.5, 6, 3), 1.2, 1.2);
    board.moveTo(9, 13.3);
    board.lineTo(21.5, 13.3);
    board.moveTo(18, 10);
    board.lineTo(21.5, 13.3);
    board.lineTo(18, 16.6);
    painter.strokePath(board, strokePen(color, width));
}

void drawShieldCheckered(QPainter& painter, const QColor& color, double width)
{
    QPainterPath shield;
    shield.moveTo(12, 2.5);
    shield.lineTo(20, 5.5);
    shield.lineTo(20, 11.5);
    shield.cubicTo(20, 16.5, 16.5, 19.8, 12, 21.5);
    shield.cubicTo(7.5, 19.8, 4, 16.5, 4, 11.5);
    shield.lineTo(4, 5.5);
    shield.closeSubpath();
    painter.strokePath(shield, strokePen(color, width));
    // Two opposite quarters of the face are filled: the chequer.
    QPainterPath quarters;
    quarters.addRect(QRectF(4, 2.5, 8, 9));
    quarters.addRect(QRectF(12, 11.5, 8, 10));
    painter.fillPath(shield.intersected(quarters), color);
}

void drawSliderHorizontal3(QPainter& painter, const QColor& color, double width)
{
    QPainterPath bars;
    QPainterPath knobs;
    const double ys[] = {5.5, 12.0, 18.5};
    const double xs[] = {15.5, 8.5, 13.5};
    for (int index = 0; index < 3; ++index) {
        bars.moveTo(3, ys[index]);
        bars.lineTo(21, ys[index]);
        knobs.addEllipse(QPointF(xs[index], ys[index]), 2.6, 2.6);
    }
    painter.strokePath(bars, strokePen(color, width * 0.8));
    painter.fillPath(knobs, color);
}

void drawGlobe(QPainter& painter, const QColor& color, double width)
{
    QPainterPath path;
    path.addEllipse(QPointF(12, 12), 9.5, 9.5);
    path.addEllipse(QPointF(12, 12), 4, 9.5);
    path.moveTo(2.5, 12);
    path.lineTo(21.5, 12);
    path.moveTo(4, 7);
    path.lineTo(20, 7);
    path.moveTo(4, 17);
    path.lineTo(20, 17);
    painter.strokePath(path, strokePen(color, width * 0.8));
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
    case Glyph::PlusCircleFill:
        drawPlusCircleFill(painter, color);
        break;
    case Glyph::LineThreeHorizontal:
        drawLineThreeHorizontal(painter, color, width);
        break;
    case Glyph::Trash:
        drawTrash(painter, color, width * 0.85);
        break;
    case Glyph::Clock:
        drawClock(painter, color, width * 0.85);
        break;
    case Glyph::MagnifyingGlass:
        drawMagnifyingGlass(painter, color, width);
        break;
    case Glyph::CheckmarkCircleFill:
        drawCheckmarkCircleFill(painter, color);
        break;
    case Glyph::QuoteOpening:
        drawQuoteOpening(painter, color);
        break;
    case Glyph::Cpu:
        drawCpu(painter, color, width);
        break;
    case Glyph::Timer:
        drawTimer(painter, color, width * 0.85);
        break;
    case Glyph::ArrowRightDocOnClipboard:
        drawArrowRightDocOnClipboard(painter, color, width * 0.85);
        break;
    case Glyph::ArrowUpCircleFill:
        drawArrowUpCircleFill(painter, color);
        break;
    case Glyph::ShieldCheckered:
        drawShieldCheckered(painter, color, width * 0.85);
        break;
    case Glyph::SliderHorizontal3:
        drawSliderHorizontal3(painter, color, width);
        break;
    case Glyph::Globe:
        drawGlobe(painter, color, width * 0.85);
        break;
    }
    painter.restore();
}

} // namespace quillora
