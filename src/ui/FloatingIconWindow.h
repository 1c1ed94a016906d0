#pragma once

#include "app/IconPanel.h"
#include "core/Clock.h"
#include "ui/FloatingPanel.h"
#include "ui/FrameTicker.h"
#include "ui/IconState.h"
#include "ui/Tween.h"

#include <optional>

namespace quillora {

class FloatingIconView;

/**
 * The floating icon: a 64 × 64 frameless tool window that stays above other windows and never
 * takes focus, so the application the user selected text in stays active. Resting the pointer on
 * it for 0.4 s fills a ring and arms it; a press after that activates it (after a 0.15 s shrink,
 * `onClick` runs and the icon hides). Left alone it hides itself after 3 s. All timing runs on the
 * platform clock.
 */
class FloatingIconWindow final : public FloatingPanel, public IconPanel
{
    Q_OBJECT

public:
    FloatingIconWindow();
    ~FloatingIconWindow() override;

    static constexpr double windowSide = 64;
    static constexpr double autoHideDelay = 3.0;
    static constexpr double activationDelay = 0.4;
    static constexpr double fadeDuration = 0.2;

    void showAt(QPointF at) override;
    void hidePanel() override;
    [[nodiscard]] bool isOnScreen() const override;
    [[nodiscard]] double alphaValue() const override;
    [[nodiscard]] QRectF frame() const override;

    /** The pointer entered the window: stop the auto-hide timer and start arming. */
    void mouseEntered();

    /** The pointer left the window: clear the ring and restart the auto-hide timer. */
    void mouseExited();

    /** A press inside the window: activates the icon when it is armed, else does nothing. */
    void mouseDown();

    /** The state the view draws (ring and activation). */
    [[nodiscard]] const IconState& iconState() const { return m_iconState; }

    /** The drawing. */
    [[nodiscard]] FloatingIconView& view() const { return *m_view; }

    /** True while the auto-hide timer runs. */
    [[nodiscard]] bool isHideTimerRunning() const { return m_hideTimer && m_hideTimer->isValid(); }

protected:
    /** The disc at its largest (hovered) size: the corners of the window let presses through. */
    [[nodiscard]] QRegion inputRegion() const override;
    /** The disc at its resting size. */
    [[nodiscard]] QRegion shapeRegion() const override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void identifierChanged() override;

private:
    void startHideTimer();
    void stopHideTimer();
    void fadeTo(double alpha);
    void applyAlpha();
    void activate();

    IconState m_iconState;
    FloatingIconView* m_view;
    std::optional<Timer> m_hideTimer;
    std::optional<double> m_hoverStartTime;
    Timer m_fadeOutCompletion;
    Timer m_activation;
    bool m_isActivating = false;
    Tween m_alpha{0.0};
    FrameTicker m_fadeTicker;
};

} // namespace quillora
