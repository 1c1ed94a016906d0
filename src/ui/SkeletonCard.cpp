#include "ui/SkeletonCard.h"

#include "ui/AnimationClock.h"
#include "ui/Easing.h"
#include "ui/Theme.h"

#include <QPainter>

#include <cmath>

namespace quillora {

namespace {

constexpr double kPadding = 14;
constexpr double kBarHeight = 8;
constexpr double kTitleWidth = 56;
constexpr double kLastLineWidth = 110;
constexpr double kTitleSpacing = 10;
constexpr double kLineSpacing = 6;
constexpr double kCornerRadius = 12;
constexpr int kLines = 3;
constexpr double kHeight =
    2 * kPadding + kBarHeight + kTitleSpacing + kLines * kBarHeight + (kLines - 1) * kLineSpacing;

void fillBar(QPainter& painter, const QRectF& bar, const QColor& color)
{
    painter.setBrush(color);
    painter.drawRoundedRect(bar, 4, 4);
}

} // namespace

SkeletonCard::SkeletonCard(QWidget* parent)
    : QWidget(parent)
    , m_start(animationNow())
    , m_ticker(
          this, [this] { return isVisible(); }, [this] { update(); })
{
    setFixedHeight(static_cast<int>(kHeight));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

double SkeletonCard::opacity() const
{
    // Ease up in one period and back down in the next, for ever.
    const double periods = std::max(0.0, animationNow() - m_start) / pulseDuration;
    const double whole = std::floor(periods);
    double fraction = Easing::easeInOut(1).at(periods - whole);
    if (static_cast<long long>(whole) % 2 == 1) {
        fraction = 1 - fraction;
    }
    return minimumOpacity + (1 - minimumOpacity) * fraction;
}

void SkeletonCard::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(opacity());
    painter.setPen(Qt::NoPen);
    painter.setBrush(Theme::cardBackground());
    painter.drawRoundedRect(QRectF(rect()), kCornerRadius, kCornerRadius);

    const double left = kPadding;
    const double width = rect().width() - 2 * kPadding;
    double y = kPadding;
    fillBar(painter, QRectF(left, y, kTitleWidth, kBarHeight), Theme::withOpacity(Theme::secondaryText(), 0.2));
    y += kBarHeight + kTitleSpacing;
    const QColor lineColor = Theme::withOpacity(Theme::secondaryText(), 0.13);
    for (int line = 0; line < kLines; ++line) {
        const double lineWidth = line == kLines - 1 ? std::min(kLastLineWidth, width) : width;
        fillBar(painter, QRectF(left, y, lineWidth, kBarHeight), lineColor);
        y += kBarHeight + kLineSpacing;
    }
}

void SkeletonCard::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_ticker.start();
}

} // namespace quillora
