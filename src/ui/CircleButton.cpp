#include "ui/CircleButton.h"

#include "ui/Theme.h"

#include <QPainter>

#include <cmath>

namespace quillora {

CircleButton::CircleButton(double diameter, Painter paintSymbol, QWidget* parent)
    : QAbstractButton(parent)
    , m_paintSymbol(std::move(paintSymbol))
{
    const int pixels = static_cast<int>(std::lround(diameter));
    setFixedSize(pixels, pixels);
    setFocusPolicy(Qt::NoFocus);
}

QSize CircleButton::sizeHint() const
{
    return size();
}

void CircleButton::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Theme::withOpacity(Theme::secondaryText(), isDown() ? 0.2 : 0.08));
    painter.drawEllipse(QRectF(rect()));
    m_paintSymbol(painter, QRectF(rect()));
}

} // namespace quillora
