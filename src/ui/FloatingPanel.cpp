#include "ui/FloatingPanel.h"

#include "platform/AppWindows.h"
#include "platform/Platform.h"
#include "platform/ScreenCoordinates.h"
#include "platform/Screens.h"

#include <algorithm>

namespace quillora {

namespace {

Qt::WindowFlags floatingWindowFlags()
{
    const Qt::WindowFlags common = Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus;
    // A tooltip-type window that bypasses the window manager keeps its place and never takes the
    // focus; other types get focus, or lose their clicks, under some Wayland compositors.
    if (Platform::current().appWindows().floatingWindowsBypassWindowManager()) {
        return common | Qt::ToolTip | Qt::X11BypassWindowManagerHint;
    }
    return common | Qt::Tool;
}

} // namespace

FloatingPanel::FloatingPanel(QSizeF panelSize, int margin)
    : QWidget(nullptr, floatingWindowFlags())
    , m_panelSize(panelSize)
    , m_translucentMargin(margin)
    , m_margin(margin)
{
    // Without WindowDoesNotAcceptFocus the window manager gives the panel the focus when it is
    // shown or clicked, and the paste would land in the panel instead of the user's application.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(static_cast<int>(panelSize.width()) + 2 * margin, static_cast<int>(panelSize.height()) + 2 * margin);
}

std::optional<QRectF> FloatingPanel::visibleFrameAt(QPointF p)
{
    const Screens& screens = Platform::current().screens();
    for (const Screen& screen : screens.screens()) {
        if (mouseInRect(p, screen.frame)) {
            return screen.visibleFrame;
        }
    }
    if (const std::optional<Screen> main = screens.mainScreen()) {
        return main->visibleFrame;
    }
    return std::nullopt;
}

QPointF FloatingPanel::keptInside(QPointF origin, QSizeF size, const QRectF& visible)
{
    // Screen points: y grows upward, so the visible frame's top edge is y + height.
    double x = std::min(origin.x(), visible.x() + visible.width() - size.width());
    double y = std::min(origin.y(), visible.y() + visible.height() - size.height());
    x = std::max(x, visible.x());
    if (size.height() <= visible.height()) {
        y = std::max(y, visible.y());
    }
    return {x, y};
}

void FloatingPanel::refreshCompositing()
{
    const bool shaped = !Platform::current().appWindows().windowsAreComposited();
    if (shaped == m_shaped) {
        return;
    }
    m_shaped = shaped;
    m_margin = shaped ? 0 : m_translucentMargin;
    setFixedSize(static_cast<int>(m_panelSize.width()) + 2 * m_margin,
                 static_cast<int>(m_panelSize.height()) + 2 * m_margin);
    compositingChanged();
    // Qt gives a top-level window's mask to the X server as the window's shape.
    if (shaped) {
        setMask(shapeRegion());
    } else {
        clearMask();
    }
    // The panel keeps its place: only the margin around it came or went.
    moveToOrigin(m_origin);
}

QPointF FloatingPanel::keptWindowInside(QPointF origin, const QRectF& visible) const
{
    const QPointF margin(m_margin, m_margin);
    const QSizeF window(m_panelSize.width() + 2 * m_margin, m_panelSize.height() + 2 * m_margin);
    return keptInside(origin - margin, window, visible) + margin;
}

QRegion FloatingPanel::shapeRegion() const
{
    return inputRegion();
}

void FloatingPanel::moveToOrigin(QPointF origin)
{
    m_origin = origin;
    const ScreenCoordinates coordinates = Platform::current().screens().coordinates();
    const QPointF panelTopLeft = coordinates.toQt(panelFrame()).topLeft();
    move((panelTopLeft - QPointF(m_margin, m_margin)).toPoint());
}

void FloatingPanel::showOnTop()
{
    // The native window exists once winId() has been asked for; its input is limited before it
    // appears, so that not even the first press lands in the transparent margin.
    const qreal scale = devicePixelRatioF();
    QList<QRect> rects;
    for (const QRect& rect : inputRegion()) {
        rects.append(QRect((QPointF(rect.topLeft()) * scale).toPoint(), (QSizeF(rect.size()) * scale).toSize()));
    }
    Platform::current().appWindows().setInputRegion(winId(), rects);
    QWidget::show();
    raise();
}

QRegion FloatingPanel::inputRegion() const
{
    return QRegion(m_margin, m_margin, static_cast<int>(m_panelSize.width()), static_cast<int>(m_panelSize.height()));
}

} // namespace quillora
