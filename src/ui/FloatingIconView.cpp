#include "ui/FloatingIconView.h"

#include "ui/AnimationClock.h"
#include "ui/Glyphs.h"
#include "ui/IconState.h"

#include <QEnterEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace quillora {

namespace {

constexpr double kRingWidth = 2.5;
// Qt measures arcs in sixteenths of a degree, counter-clockwise from three o'clock.
constexpr int kArcUnitsPerTurn = 360 * 16;
constexpr int kTwelveOClock = 90 * 16;

QColor srgb(double r, double g, double b, double a = 1.0)
{
    return QColor::fromRgbF(static_cast<float>(r), static_cast<float>(g), static_cast<float>(b), static_cast<float>(a));
}

} // namespace

FloatingIconView::FloatingIconView(IconState& state, QWidget* parent)
    : QWidget(parent)
    , m_state(state)
    , m_ticker(
          this, [this] { return isAnimating(); }, [this] { update(); })
{
    const int side = static_cast<int>(iconSize + 2 * padding);
    setFixedSize(side, side);
    setMouseTracking(true);
    setAttribute(Qt::WA_TranslucentBackground);
    m_state.setOnChange([this] { refresh(); });
}

void FloatingIconView::setHovered(bool hovered, bool animated)
{
    if (hovered == m_isHovered) {
        return;
    }
    m_isHovered = hovered;
    const double target = hovered ? hoverScale : 1.0;
    if (animated) {
        m_hoverScale.animate(target, Easing::spring(0.22, 0.62), animationNow());
    } else {
        m_hoverScale.set(target);
    }
    refresh();
}

double FloatingIconView::currentScale() const
{
    if (m_shaped) {
        return 1;
    }
    // The activation's shrink overrides the hover scale, blending over the shrink's duration.
    const double hover = m_hoverScale.value(animationNow());
    const double click = m_state.clickAmount();
    return hover + (clickedScale - hover) * click;
}

QRectF FloatingIconView::iconRect() const
{
    return {padding, padding, iconSize, iconSize};
}

void FloatingIconView::refresh()
{
    update();
    if (isAnimating()) {
        m_ticker.start();
    }
}

bool FloatingIconView::isAnimating() const
{
    return m_state.isAnimating() || m_hoverScale.isRunning(animationNow());
}

void FloatingIconView::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF disc = iconRect();
    const QPointF centre = disc.center();
    const double scale = currentScale();
    painter.translate(centre);
    painter.scale(scale, scale);
    painter.translate(-centre);

    QLinearGradient fill(disc.topLeft(), disc.bottomRight());
    fill.setColorAt(0, srgb(0.3, 0.58, 1.0));
    fill.setColorAt(1, srgb(0.1, 0.38, 0.94));
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawEllipse(disc);

    QLinearGradient gloss(QPointF(centre.x(), disc.top()), centre);
    gloss.setColorAt(0, srgb(1, 1, 1, 0.28));
    gloss.setColorAt(1, srgb(1, 1, 1, 0));
    painter.setBrush(gloss);
    painter.drawEllipse(disc);

    // The glyph box matches an 18-point bold symbol.
    drawGlyph(painter, Glyph::TextCursor, QRectF(centre.x() - 11, centre.y() - 11, 22, 22), Qt::white, true);

    const double progress = std::clamp(m_state.activationProgress(), 0.0, 1.0);
    if (progress > 0) {
        QPen ring(srgb(1, 1, 1, 0.85), kRingWidth);
        ring.setCapStyle(Qt::RoundCap);
        painter.setPen(ring);
        painter.setBrush(Qt::NoBrush);
        // The ring runs just inside the disc's edge, where it shows on any backdrop. A negative
        // span runs clockwise from twelve o'clock.
        const double inset = kRingWidth / 2 + 1.5;
        painter.drawArc(disc.adjusted(inset, inset, -inset, -inset), kTwelveOClock,
                        -static_cast<int>(std::lround(progress * kArcUnitsPerTurn)));
    }
}

void FloatingIconView::mouseMoveEvent(QMouseEvent* event)
{
    setHovered(iconRect().contains(event->position()));
    QWidget::mouseMoveEvent(event);
}

void FloatingIconView::enterEvent(QEnterEvent* event)
{
    setHovered(iconRect().contains(event->position()));
    QWidget::enterEvent(event);
}

void FloatingIconView::leaveEvent(QEvent* event)
{
    setHovered(false);
    QWidget::leaveEvent(event);
}

} // namespace quillora
