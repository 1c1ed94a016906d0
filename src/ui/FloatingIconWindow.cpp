#include "ui/FloatingIconWindow.h"

#include "ui/AnimationClock.h"
#include "ui/FloatingIconView.h"

#include <QMouseEvent>

#include <cmath>

namespace quillora {

namespace {

// Elapsed times are differences of floating-point clock readings; this tolerance keeps a press
// made exactly at the arming delay from being rejected by rounding.
constexpr double kTimeTolerance = 1e-9;

} // namespace

FloatingIconWindow::FloatingIconWindow()
    : FloatingPanel(QSizeF(windowSide, windowSide), 0)
    , m_view(new FloatingIconView(m_iconState, this))
    , m_fadeTicker(
          this, [this] { return m_alpha.isRunning(animationNow()); }, [this] { applyAlpha(); })
{
    setWindowOpacity(0);
}

FloatingIconWindow::~FloatingIconWindow()
{
    stopHideTimer();
    m_fadeOutCompletion.invalidate();
    m_activation.invalidate();
}

void FloatingIconWindow::showAt(QPointF at)
{
    stopHideTimer();
    m_hoverStartTime.reset();
    m_activation.invalidate();
    m_isActivating = false;
    m_iconState.setActivationProgress(0);
    m_iconState.setClicked(false, IconState::Transition::Immediate);
    m_view->setHovered(false, false);

    refreshCompositing();
    m_view->setShaped(isShaped());
    // Beside the pointer, but never out of reach: near a screen edge it moves just enough to stay
    // inside the visible frame of the pointer's screen, clear of its panels and docks.
    QPointF origin(at.x() + 20, at.y() - 5);
    if (const std::optional<QRectF> visible = visibleFrameAt(at)) {
        origin = keptWindowInside(origin, *visible);
    }
    moveToOrigin(origin);

    // A fade-out still running from an earlier hide must not take the window away afterwards.
    m_fadeOutCompletion.invalidate();
    showOnTop();
    fadeTo(1);
    startHideTimer();
}

void FloatingIconWindow::hidePanel()
{
    stopHideTimer();
    m_hoverStartTime.reset();
    m_iconState.setActivationProgress(0);
    fadeTo(0);
    m_fadeOutCompletion.invalidate();
    m_fadeOutCompletion = animationClock().singleShot(fadeDuration, this, [this] { QWidget::hide(); });
}

bool FloatingIconWindow::isOnScreen() const
{
    return QWidget::isVisible();
}

QRegion FloatingIconWindow::inputRegion() const
{
    const int diameter = static_cast<int>(std::ceil(FloatingIconView::iconSize * FloatingIconView::hoverScale));
    const int inset = (static_cast<int>(windowSide) - diameter) / 2;
    return QRegion(inset, inset, diameter, diameter, QRegion::Ellipse);
}

QRegion FloatingIconWindow::shapeRegion() const
{
    // The disc as drawn while shaped: it keeps its resting size there.
    const QRectF disc = m_view->iconRect();
    return QRegion(disc.toAlignedRect(), QRegion::Ellipse);
}

double FloatingIconWindow::alphaValue() const
{
    return m_alpha.value(animationNow());
}

QRectF FloatingIconWindow::frame() const
{
    return panelFrame();
}

void FloatingIconWindow::mouseEntered()
{
    stopHideTimer();
    m_hoverStartTime = animationNow();
    m_iconState.animateActivationProgress(1, activationDelay);
    if (m_onHover) {
        m_onHover();
    }
}

void FloatingIconWindow::mouseExited()
{
    m_hoverStartTime.reset();
    m_iconState.setActivationProgress(0);
    startHideTimer();
}

void FloatingIconWindow::mouseDown()
{
    if (!m_hoverStartTime || animationNow() - *m_hoverStartTime + kTimeTolerance < activationDelay) {
        return;
    }
    // A second press during the shrink would start a second session; one activation per showing.
    if (m_isActivating) {
        return;
    }
    m_isActivating = true;
    m_iconState.setClicked(true, IconState::Transition::Animated);
    m_activation = animationClock().singleShot(IconState::clickDuration, this, [this] { activate(); });
}

void FloatingIconWindow::activate()
{
    m_isActivating = false;
    if (m_onClick) {
        m_onClick();
    }
    hidePanel();
}

void FloatingIconWindow::enterEvent(QEnterEvent* event)
{
    mouseEntered();
    QWidget::enterEvent(event);
}

void FloatingIconWindow::leaveEvent(QEvent* event)
{
    mouseExited();
    QWidget::leaveEvent(event);
}

void FloatingIconWindow::mousePressEvent(QMouseEvent* event)
{
    mouseDown();
    event->accept();
}

void FloatingIconWindow::identifierChanged()
{
    setObjectName(m_identifier);
    // The window title (WM_NAME on X11) carries it too, so that tools outside the process find the panel.
    setWindowTitle(m_identifier);
}

void FloatingIconWindow::startHideTimer()
{
    stopHideTimer();
    m_hideTimer = animationClock().singleShot(autoHideDelay, this, [this] { hidePanel(); });
}

void FloatingIconWindow::stopHideTimer()
{
    if (m_hideTimer) {
        m_hideTimer->invalidate();
        m_hideTimer.reset();
    }
}

void FloatingIconWindow::fadeTo(double alpha)
{
    m_alpha.animate(alpha, Easing::easeInOut(fadeDuration), animationNow());
    applyAlpha();
    m_fadeTicker.start();
}

void FloatingIconWindow::applyAlpha()
{
    setWindowOpacity(m_alpha.value(animationNow()));
}

} // namespace quillora
