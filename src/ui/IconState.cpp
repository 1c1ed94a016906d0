#include "ui/IconState.h"

#include "ui/AnimationClock.h"

namespace quillora {

double IconState::activationProgress() const
{
    return m_progress.value(animationNow());
}

void IconState::setActivationProgress(double progress)
{
    m_progress.set(progress);
    changed();
}

void IconState::animateActivationProgress(double progress, double duration)
{
    m_progress.animate(progress, Easing::linear(duration), animationNow());
    changed();
}

void IconState::setClicked(bool clicked, Transition transition)
{
    m_isClicked = clicked;
    const double amount = clicked ? 1.0 : 0.0;
    if (transition == Transition::Animated) {
        m_clickAmount.animate(amount, Easing::easeOut(clickDuration), animationNow());
    } else {
        m_clickAmount.set(amount);
    }
    changed();
}

double IconState::clickAmount() const
{
    return m_clickAmount.value(animationNow());
}

bool IconState::isAnimating() const
{
    const double now = animationNow();
    return m_progress.isRunning(now) || m_clickAmount.isRunning(now);
}

void IconState::changed()
{
    if (m_onChange) {
        m_onChange();
    }
}

} // namespace quillora
