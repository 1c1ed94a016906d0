#include "ui/FloatingResultsWindow.h"

#include "platform/Platform.h"
#include "platform/Screens.h"
#include "ui/PolishedResultsView.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace quillora {

namespace {

constexpr int kShadowLayers = 12;
constexpr double kShadowOffset = 4;

} // namespace

FloatingResultsWindow::FloatingResultsWindow()
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus)
    , m_logInteraction(backendInteractionLogger())
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(static_cast<int>(panelWidth) + 2 * shadowMargin, static_cast<int>(panelHeight) + 2 * shadowMargin);
    update({}, false, std::nullopt);
}

QPointF FloatingResultsWindow::placement(QPointF p)
{
    double x = p.x() + 20;
    double y = p.y() - panelHeight / 2;
    const Screens& screens = Platform::current().screens();
    std::optional<Screen> screen;
    for (const Screen& candidate : screens.screens()) {
        if (mouseInRect(p, candidate.frame)) {
            screen = candidate;
            break;
        }
    }
    if (!screen) {
        screen = screens.mainScreen();
    }
    if (screen) {
        const QRectF visible = screen->visibleFrame;
        const double right = visible.x() + visible.width();
        const double top = visible.y() + visible.height();
        if (x + panelWidth > right) {
            x = p.x() - panelWidth - 20;
        }
        if (x < visible.x()) {
            x = visible.x() + 10;
        }
        if (y < visible.y()) {
            y = visible.y() + 10;
        }
        if (y + panelHeight > top) {
            y = top - panelHeight - 10;
        }
    }
    return {x, y};
}

void FloatingResultsWindow::show(QPointF at)
{
    moveTo(placement(at));
    QWidget::show();
    raise();
    setWindowOpacity(1);
}

void FloatingResultsWindow::update(const QList<PolishedResult>& results, bool isPolishing, std::optional<QString> error)
{
    // The callbacks hold the window weakly: the view may outlive it in a pending deletion.
    const QPointer<FloatingResultsWindow> window(this);
    PolishedResultsView::Actions actions;
    actions.onSelect = [window](const QString& text) {
        if (window && window->m_onSelect) {
            window->m_onSelect(text);
        }
        if (window) {
            window->hide();
        }
    };
    actions.onClose = [window] {
        if (window) {
            window->hide();
        }
    };
    actions.logInteraction = m_logInteraction;

    auto* view = new PolishedResultsView(results, isPolishing, std::move(error), std::move(actions), this);
    view->move(shadowMargin, shadowMargin);
    // The old content may be running the very button handler that led here: delete it later.
    if (m_view) {
        m_view->hide();
        m_view->deleteLater();
    }
    m_view = view;
    view->show();
}

void FloatingResultsWindow::hide()
{
    m_dragStart.reset();
    QWidget::hide();
}

bool FloatingResultsWindow::isVisible() const
{
    return QWidget::isVisible();
}

double FloatingResultsWindow::alphaValue() const
{
    return windowOpacity();
}

QRectF FloatingResultsWindow::frame() const
{
    return {m_origin, QSizeF(panelWidth, panelHeight)};
}

void FloatingResultsWindow::moveTo(QPointF origin)
{
    m_origin = origin;
    const ScreenCoordinates coordinates = Platform::current().screens().coordinates();
    const QPointF panelTopLeft = coordinates.toQt(frame()).topLeft();
    move((panelTopLeft - QPointF(shadowMargin, shadowMargin)).toPoint());
}

void FloatingResultsWindow::paintEvent(QPaintEvent* /*event*/)
{
    // A soft shadow, built from rounded rectangles that grow fainter outwards.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const QRectF panel(shadowMargin, shadowMargin + kShadowOffset, panelWidth, panelHeight);
    for (int layer = kShadowLayers; layer >= 1; --layer) {
        const double spread = layer;
        const double strength = 1.0 - static_cast<double>(layer) / (kShadowLayers + 1);
        painter.setBrush(QColor(0, 0, 0, static_cast<int>(2 + 4 * strength * strength)));
        const double radius = PolishedResultsView::cornerRadius + spread;
        painter.drawRoundedRect(panel.adjusted(-spread, -spread, spread, spread), radius, radius);
    }
}

void FloatingResultsWindow::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_dragStart = event->globalPosition();
    m_dragOrigin = m_origin;
    event->accept();
}

void FloatingResultsWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragStart) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    // Qt's y grows downward, the design's upward.
    const QPointF delta = event->globalPosition() - *m_dragStart;
    moveTo(QPointF(m_dragOrigin.x() + delta.x(), m_dragOrigin.y() - delta.y()));
    event->accept();
}

void FloatingResultsWindow::mouseReleaseEvent(QMouseEvent* event)
{
    m_dragStart.reset();
    QWidget::mouseReleaseEvent(event);
}

void FloatingResultsWindow::identifierChanged()
{
    setObjectName(m_identifier);
    // The window title (WM_NAME on X11) carries it too, so that tools outside the process find the panel.
    setWindowTitle(m_identifier);
}

} // namespace quillora
