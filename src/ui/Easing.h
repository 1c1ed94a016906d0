#pragma once

namespace quillora {

/** The timing of one animation: a curve from 0 to 1 over a duration. Value type. */
class Easing final
{
public:
    /** Constant speed over `duration` seconds. */
    [[nodiscard]] static Easing linear(double duration);
    /** Fast start, gentle end (cubic Bézier 0, 0, 0.58, 1). */
    [[nodiscard]] static Easing easeOut(double duration);
    /** Gentle start and end (cubic Bézier 0.42, 0, 0.58, 1). */
    [[nodiscard]] static Easing easeInOut(double duration);
    /**
     * A damped spring that takes `response` seconds per oscillation and loses energy by
     * `dampingFraction` (1: no overshoot). Lasts until it has settled within 0.1 %.
     */
    [[nodiscard]] static Easing spring(double response, double dampingFraction);

    /** Seconds until the curve ends at 1. */
    [[nodiscard]] double duration() const { return m_duration; }

    /** The fraction of the way at `elapsed` seconds; a spring may overshoot 1. */
    [[nodiscard]] double at(double elapsed) const;

private:
    enum class Kind {
        Linear,
        EaseOut,
        EaseInOut,
        Spring,
    };

    Easing(Kind kind, double duration, double response = 0, double damping = 0);

    Kind m_kind;
    double m_duration;
    double m_response;
    double m_damping;
};

} // namespace quillora
