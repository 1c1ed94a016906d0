#include "ui/Easing.h"

#include <QEasingCurve>
#include <QPointF>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace quillora {

namespace {

QEasingCurve bezier(double x1, double y1, double x2, double y2)
{
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(QPointF(x1, y1), QPointF(x2, y2), QPointF(1, 1));
    return curve;
}

// Angular frequency of a spring that completes one oscillation in `response` seconds.
double omega(double response)
{
    return 2 * std::numbers::pi / std::max(response, 1e-3);
}

} // namespace

Easing::Easing(Kind kind, double duration, double response, double damping)
    : m_kind(kind)
    , m_duration(std::max(0.0, duration))
    , m_response(response)
    , m_damping(damping)
{
}

Easing Easing::linear(double duration)
{
    return {Kind::Linear, duration};
}

Easing Easing::easeOut(double duration)
{
    return {Kind::EaseOut, duration};
}

Easing Easing::easeInOut(double duration)
{
    return {Kind::EaseInOut, duration};
}

Easing Easing::spring(double response, double dampingFraction)
{
    const double damping = std::clamp(dampingFraction, 0.05, 1.0);
    // The envelope e^(-ζωt) falls below 0.001 after ln(1000) / (ζω) seconds.
    const double settle = std::log(1000.0) / (damping * omega(response));
    return {Kind::Spring, settle, response, damping};
}

double Easing::at(double elapsed) const
{
    if (elapsed >= m_duration) {
        return 1;
    }
    if (elapsed <= 0) {
        return 0;
    }
    const double t = elapsed / m_duration;
    switch (m_kind) {
    case Kind::Linear:
        return t;
    case Kind::EaseOut: {
        static const QEasingCurve easeOutCurve = bezier(0, 0, 0.58, 1);
        return easeOutCurve.valueForProgress(t);
    }
    case Kind::EaseInOut: {
        static const QEasingCurve easeInOutCurve = bezier(0.42, 0, 0.58, 1);
        return easeInOutCurve.valueForProgress(t);
    }
    case Kind::Spring:
        break;
    }
    const double w = omega(m_response);
    const double zeta = m_damping;
    if (zeta >= 1) {
        return 1 - std::exp(-w * elapsed) * (1 + w * elapsed);
    }
    const double wd = w * std::sqrt(1 - zeta * zeta);
    return 1 - std::exp(-zeta * w * elapsed) * (std::cos(wd * elapsed) + zeta * w / wd * std::sin(wd * elapsed));
}

} // namespace quillora
