#include "ui/Tween.h"

namespace quillora {

Tween::Tween(double value)
    : m_from(value)
    , m_to(value)
{
}

void Tween::set(double value)
{
    m_from = value;
    m_to = value;
    m_easing = Easing::linear(0);
}

void Tween::animate(double target, Easing easing, double now, double delay)
{
    m_from = value(now);
    m_to = target;
    m_start = now + delay;
    m_easing = easing;
}

double Tween::value(double now) const
{
    if (now < m_start) {
        return m_from;
    }
    return m_from + (m_to - m_from) * m_easing.at(now - m_start);
}

bool Tween::isRunning(double now) const
{
    return m_from != m_to && now < m_start + m_easing.duration();
}

} // namespace quillora
