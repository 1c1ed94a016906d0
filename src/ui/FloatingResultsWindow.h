#pragma once

#include "app/ResultsPanel.h"
#include "ui/FloatingPanel.h"
#include "ui/PolishedResultsView.h"

#include <QPointer>

namespace quillora {

class ResultActions;

/**
 * The results panel: a 320 × 420 frameless tool window with a soft shadow that stays above other
 * windows and never takes focus, so the application the text came from stays active for the paste.
 * It opens beside the pointer within the screen's visible frame, rebuilds its content on every
 * update, and can be dragged by its background.
 */
class FloatingResultsWindow final : public FloatingPanel, public ResultsPanel
{
    Q_OBJECT

public:
    /** A hidden panel whose cards run `cardActions`, which must outlive it. */
    explicit FloatingResultsWindow(const ResultActions& cardActions);

    static constexpr double panelWidth = 320;
    static constexpr double panelHeight = 420;
    /** Transparent room around the panel for its shadow, in points, where windows are composited. */
    static constexpr int shadowMargin = 16;

    void showAt(QPointF at) override;
    void setContent(const QList<PolishedResult>& results, bool isPolishing, std::optional<QString> error) override;
    void hidePanel() override;
    void setOriginalText(const QString& text) override { m_original = text; }
    void useCard(int index) override;
    void copyCard(int index) override;
    void highlightNextCard() override;
    void useHighlightedCard() override;
    [[nodiscard]] bool isOnScreen() const override;
    [[nodiscard]] double alphaValue() const override;
    [[nodiscard]] QRectF frame() const override;

    /** The current content. */
    [[nodiscard]] PolishedResultsView& resultsView() const { return *m_view; }

    /**
     * Where the panel's bottom-left corner goes for pointer `p`: to the right of the pointer and
     * vertically centred on it, moved inside the visible frame of the screen holding `p` (of the
     * main screen when none does; unchanged when there is no screen), the window's margin included.
     */
    [[nodiscard]] QPointF placement(QPointF p) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void identifierChanged() override;
    /** The rounded rectangle of the panel. */
    [[nodiscard]] QRegion shapeRegion() const override;
    void compositingChanged() override;

private:
    /** The cards on show; none without results. */
    [[nodiscard]] QList<ResultCard*> cards() const;

    QPointer<PolishedResultsView> m_view;
    QString m_original;
    const ResultActions& m_cardActions;
    std::optional<QPointF> m_dragStart;
    QPointF m_dragOrigin;
};

} // namespace quillora
