#pragma once

#include "ui/Easing.h"

namespace quillora {

/**
 * A number that moves from one value to another over time. Its value is computed from the time it
 * is asked at, so an animation on the virtual clock is exactly reproducible. Value type.
 */
class Tween final
{
public:
    explicit Tween(double value = 0);

    /** Jumps to `value` at once, ending any running animation. */
    void set(double value);

    /**
     * Starts moving from the value at `now` to `target` along `easing`, beginning `delay` seconds
     * after `now`.
     */
    void animate(double target, Easing easing, double now, double delay = 0);

    /** The value at `now`. */
    [[nodiscard]] double value(double now) const;

    /** The value the tween moves to (or rests at). */
    [[nodiscard]] double target() const { return m_to; }

    /** True while the animation has not ended at `now` (including its delay). */
    [[nodiscard]] bool isRunning(double now) const;

private:
    double m_from;
    double m_to;
    double m_start = 0;
    Easing m_easing = Easing::linear(0);
};

} // namespace quillora
