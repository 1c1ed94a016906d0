#include "ui/ElidedLabel.h"

#include "ui/ShellStyle.h"

#include <QPainter>

namespace quillora {

namespace {

// A long text keeps this many characters' room before it is cut.
constexpr int kMinimumCharacters = 6;

} // namespace

ElidedLabel::ElidedLabel(QString text, const QFont& font, const QColor& color, QWidget* parent)
    : QWidget(parent)
    , m_text(std::move(text))
{
    setFont(font);
    ShellStyle::setTextColor(*this, color);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setToolTip(m_text);
    setAccessibleName(m_text);
    setAccessibleDescription(m_text);
}

QString ElidedLabel::shownText() const
{
    return fontMetrics().elidedText(m_text, Qt::ElideRight, width());
}

QSize ElidedLabel::sizeHint() const
{
    return {fontMetrics().horizontalAdvance(m_text) + 1, fontMetrics().height()};
}

QSize ElidedLabel::minimumSizeHint() const
{
    const int shortest = fontMetrics().horizontalAdvance(m_text.left(kMinimumCharacters) + QStringLiteral("…")) + 1;
    return {std::min(shortest, sizeHint().width()), fontMetrics().height()};
}

void ElidedLabel::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter, shownText());
}

} // namespace quillora
