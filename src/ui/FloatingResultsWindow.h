#pragma once

#include "app/ResultsPanel.h"
#include "ui/InteractionLogger.h"
#include "ui/PolishedResultsView.h"

#include <QPointer>
#include <QWidget>

namespace quillora {

/**
 * The results panel: a 320 × 420 frameless tool window with a soft shadow that stays above other
 * windows and never takes focus, so the application the text came from stays active for the paste.
 * It opens beside the pointer within the screen's visible frame, rebuilds its content on every
 * update, and can be dragged by its background.
 */
class FloatingResultsWindow final : public QWidget, public ResultsPanel
{
    Q_OBJECT

public:
    FloatingResultsWindow();

    static constexpr double panelWidth = 320;
    static constexpr double panelHeight = 420;
    /** Transparent room around the panel for its shadow, in points. */
    static constexpr int shadowMargin = 16;

    void show(QPointF at) override;
    void update(const QList<PolishedResult>& results, bool isPolishing, std::optional<QString> error) override;
    void hide() override;
    [[nodiscard]] bool isVisible() const override;
    [[nodiscard]] double alphaValue() const override;
    [[nodiscard]] QRectF frame() const override;

    /** The current content. */
    [[nodiscard]] PolishedResultsView& resultsView() const { return *m_view; }

    /** Replaces the interaction log (the backend's by default); tests observe it this way. */
    void setInteractionLogger(InteractionLogger logger) { m_logInteraction = std::move(logger); }

    /**
     * Where the panel's bottom-left corner goes for pointer `p`: to the right of the pointer and
     * vertically centred on it, moved inside the visible frame of the screen holding `p` (of the
     * main screen when none does; unchanged when there is no screen).
     */
    [[nodiscard]] static QPointF placement(QPointF p);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void identifierChanged() override;

private:
    void moveTo(QPointF origin);

    QPointer<PolishedResultsView> m_view;
    InteractionLogger m_logInteraction;
    QPointF m_origin;
    std::optional<QPointF> m_dragStart;
    QPointF m_dragOrigin;
};

} // namespace quillora
