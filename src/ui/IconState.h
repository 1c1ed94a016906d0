#pragma once

#include "ui/Tween.h"

#include <functional>

namespace quillora {

/**
 * What the floating icon's window tells its drawing: how much of the arming ring is drawn and
 * whether the icon has been activated. Every change is announced to the view, which redraws.
 * Values are read at the animation clock's current time.
 */
class IconState final
{
public:
    /** Whether a change takes effect at once or is animated. */
    enum class Transition {
        Immediate,
        Animated,
    };

    /** Duration of the shrink when the icon is activated. */
    static constexpr double clickDuration = 0.15;

    /** How much of the ring is drawn now, 0 to 1. */
    [[nodiscard]] double activationProgress() const;

    /** Sets the ring at once to `progress`. */
    void setActivationProgress(double progress);

    /** Fills (or empties) the ring linearly to `progress` over `duration` seconds. */
    void animateActivationProgress(double progress, double duration);

    /** True once the icon has been activated. */
    [[nodiscard]] bool isClicked() const { return m_isClicked; }

    /** Sets the activated flag; the shrink it causes is eased out over 0.15 s when `Animated`. */
    void setClicked(bool clicked, Transition transition);

    /** How far the shrink of an activation has gone now, 0 to 1. */
    [[nodiscard]] double clickAmount() const;

    /** True while the ring or the shrink is moving. */
    [[nodiscard]] bool isAnimating() const;

    /** Sets the callback run after every change (the view redraws). */
    void setOnChange(std::function<void()> onChange) { m_onChange = std::move(onChange); }

private:
    void changed();

    Tween m_progress;
    Tween m_clickAmount;
    bool m_isClicked = false;
    std::function<void()> m_onChange;
};

} // namespace quillora
