#include "ui/GlyphView.h"

#include <QPainter>

#include <cmath>

namespace quillora {

GlyphView::GlyphView(Glyph glyph, double side, QColor color, QWidget* parent)
    : QWidget(parent)
    , m_glyph(glyph)
    , m_color(color)
{
    const int pixels = static_cast<int>(std::lround(side));
    setFixedSize(pixels, pixels);
}

void GlyphView::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    drawGlyph(painter, m_glyph, QRectF(rect()), m_color, true);
}

} // namespace quillora
