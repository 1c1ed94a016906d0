#include "ui/CardEntrance.h"

#include "ui/AnimationClock.h"

#include <QGraphicsOpacityEffect>

#include <algorithm>
#include <cmath>

namespace quillora {

CardEntrance::CardEntrance(QWidget* card, double delay, QWidget* parent)
    : QWidget(parent)
    , m_card(card)
    , m_fade(new QGraphicsOpacityEffect)
    , m_ticker(
          this, [this] { return m_progress.isRunning(animationNow()); }, [this] { place(); })
{
    m_card->setParent(this);
    m_fade->setOpacity(0);
    m_card->setGraphicsEffect(m_fade);
    m_progress.animate(1, Easing::spring(0.35, 0.8), animationNow(), delay);
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

double CardEntrance::progress() const
{
    return m_progress.value(animationNow());
}

QSize CardEntrance::sizeHint() const
{
    return m_card->sizeHint();
}

QSize CardEntrance::minimumSizeHint() const
{
    return m_card->minimumSizeHint();
}

int CardEntrance::heightForWidth(int width) const
{
    return m_card->hasHeightForWidth() ? m_card->heightForWidth(width) : m_card->sizeHint().height();
}

void CardEntrance::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    place();
}

void CardEntrance::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    place();
    m_ticker.start();
}

void CardEntrance::place()
{
    const double progress = this->progress();
    const int offset = static_cast<int>(std::lround((1 - progress) * slideDistance));
    m_card->setGeometry(0, offset, width(), height());
    if (m_progress.isRunning(animationNow())) {
        m_fade->setOpacity(std::clamp(progress, 0.0, 1.0));
    } else if (m_card->graphicsEffect()) {
        // Once in place the card draws directly; the effect would only cost time on every paint.
        m_card->setGraphicsEffect(nullptr);
        m_fade = nullptr;
    }
}

} // namespace quillora
