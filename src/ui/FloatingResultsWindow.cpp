#include "ui/FloatingResultsWindow.h"

#include "platform/Platform.h"
#include "platform/Screens.h"
#include "ui/PolishedResultsView.h"
#include "ui/ResultCard.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace quillora {

namespace {

constexpr int kShadowLayers = 12;
constexpr double kShadowOffset = 4;

} // namespace

FloatingResultsWindow::FloatingResultsWindow(const ResultActions& cardActions)
    : FloatingPanel(QSizeF(panelWidth, panelHeight), shadowMargin)
    , m_cardActions(cardActions)
{
    setContent({}, false, std::nullopt);
}

QPointF FloatingResultsWindow::placement(QPointF p) const
{
    double x = p.x() + 20;
    double y = p.y() - panelHeight / 2;
    const std::optional<QRectF> visible = visibleFrameAt(p);
    if (!visible) {
        return {x, y};
    }
    const double right = visible->x() + visible->width();
    const double top = visible->y() + visible->height();
    if (x + panelWidth > right) {
        x = p.x() - panelWidth - 20;
    }
    if (x < visible->x()) {
        x = visible->x() + 10;
    }
    if (y < visible->y()) {
        y = visible->y() + 10;
    }
    if (y + panelHeight > top) {
        y = top - panelHeight - 10;
    }
    // A pointer off every screen, or a screen too small for the margins above, could still leave
    // the panel partly out of reach; it then moves the least distance back inside.
    return keptWindowInside(QPointF(x, y), *visible);
}

void FloatingResultsWindow::showAt(QPointF at)
{
    refreshCompositing();
    moveToOrigin(placement(at));
    const bool wasShown = isVisible();
    showOnTop();
    setWindowOpacity(1);
    if (!wasShown) {
        notifyVisibility(true);
    }
}

void FloatingResultsWindow::setContent(const QList<PolishedResult>& results, bool isPolishing,
                                       std::optional<QString> error)
{
    // The callbacks hold the window weakly: the view may outlive it in a pending deletion.
    const QPointer<FloatingResultsWindow> window(this);
    PolishedResultsView::Actions actions;
    actions.onSelect = [window](const QString& text) {
        if (window && window->m_onSelect) {
            window->m_onSelect(text);
        }
        if (window) {
            window->hidePanel();
        }
    };
    actions.onClose = [window] {
        if (window) {
            window->hidePanel();
        }
    };

    actions.original = m_original;
    auto* view =
        new PolishedResultsView(results, isPolishing, std::move(error), std::move(actions), m_cardActions, this);
    view->move(margin(), margin());
    // The old content may be running the very button handler that led here: delete it later.
    if (m_view) {
        m_view->hide();
        m_view->deleteLater();
    }
    m_view = view;
    view->show();
}

void FloatingResultsWindow::hidePanel()
{
    m_dragStart.reset();
    const bool wasShown = isVisible();
    QWidget::hide();
    if (wasShown) {
        notifyVisibility(false);
    }
}

QList<ResultCard*> FloatingResultsWindow::cards() const
{
    return m_view ? m_view->cards() : QList<ResultCard*>();
}

void FloatingResultsWindow::useCard(int index)
{
    const QList<ResultCard*> all = cards();
    if (index >= 0 && index < all.size()) {
        all.at(index)->use();
    }
}

void FloatingResultsWindow::copyCard(int index)
{
    const QList<ResultCard*> all = cards();
    if (index >= 0 && index < all.size()) {
        all.at(index)->copy();
    }
}

void FloatingResultsWindow::highlightNextCard()
{
    const QList<ResultCard*> all = cards();
    if (all.isEmpty()) {
        return;
    }
    qsizetype current = -1;
    for (qsizetype index = 0; index < all.size(); ++index) {
        if (all.at(index)->isHighlighted()) {
            current = index;
        }
    }
    const qsizetype next = (current + 1) % all.size();
    for (qsizetype index = 0; index < all.size(); ++index) {
        all.at(index)->setHighlighted(index == next);
    }
}

void FloatingResultsWindow::useHighlightedCard()
{
    for (ResultCard* card : cards()) {
        if (card->isHighlighted()) {
            card->use();
            return;
        }
    }
}

bool FloatingResultsWindow::isOnScreen() const
{
    return QWidget::isVisible();
}

double FloatingResultsWindow::alphaValue() const
{
    return windowOpacity();
}

QRectF FloatingResultsWindow::frame() const
{
    return panelFrame();
}

QRegion FloatingResultsWindow::shapeRegion() const
{
    QPainterPath outline;
    outline.addRoundedRect(QRectF(margin(), margin(), panelWidth, panelHeight), PolishedResultsView::cornerRadius,
                           PolishedResultsView::cornerRadius);
    return QRegion(outline.toFillPolygon().toPolygon());
}

void FloatingResultsWindow::compositingChanged()
{
    if (m_view) {
        m_view->move(margin(), margin());
    }
}

void FloatingResultsWindow::paintEvent(QPaintEvent* /*event*/)
{
    // A shaped window has no room for a shadow, and nothing would blend it.
    if (isShaped()) {
        return;
    }
    // A soft shadow, built from rounded rectangles that grow fainter outwards.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const QRectF panel(margin(), margin() + kShadowOffset, panelWidth, panelHeight);
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
    m_dragOrigin = panelFrame().topLeft();
    event->accept();
}

void FloatingResultsWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragStart) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    // Qt's y grows downward, that of screen points upward.
    const QPointF delta = event->globalPosition() - *m_dragStart;
    moveToOrigin(QPointF(m_dragOrigin.x() + delta.x(), m_dragOrigin.y() - delta.y()));
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
