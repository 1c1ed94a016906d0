#include "ui/CapsuleButton.h"

#include "ui/SystemFont.h"
#include "ui/Theme.h"

#include <QFontMetrics>
#include <QPainter>

namespace quillora {

namespace {

constexpr int kHorizontalPadding = 12;
constexpr int kVerticalPadding = 5;

} // namespace

CapsuleButton::CapsuleButton(const QString& text, QWidget* parent)
    : QAbstractButton(parent)
{
    setText(text);
    setFont(SystemFont::font(11, QFont::DemiBold));
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize CapsuleButton::sizeHint() const
{
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(text()) + 2 * kHorizontalPadding, metrics.height() + 2 * kVerticalPadding};
}

void CapsuleButton::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    QColor fill = Theme::primaryButton();
    if (isDown()) {
        fill = fill.darker(115);
    }
    painter.setBrush(fill);
    const QRectF capsule(rect());
    painter.drawRoundedRect(capsule, capsule.height() / 2, capsule.height() / 2);
    painter.setPen(Qt::white);
    painter.setFont(font());
    painter.drawText(capsule, Qt::AlignCenter, text());
}

} // namespace quillora
