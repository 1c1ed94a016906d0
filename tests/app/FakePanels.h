#pragma once

#include "app/IconPanel.h"
#include "app/PanelFactory.h"
#include "app/ResultsPanel.h"

#include <QList>

#include <memory>
#include <optional>

namespace quillora::test {

/**
 * A panel that only records: shown and hidden at once, with a frame of `size` at `offset` from the
 * point it is shown at.
 */
template <typename Panel> class FakePanel : public Panel
{
public:
    FakePanel(QPointF offset, QSizeF size)
        : m_offset(offset)
        , m_size(size)
    {
    }

    void showAt(QPointF at) override
    {
        m_visible = true;
        m_frame = QRectF(at + m_offset, m_size);
        shownAt.append(at);
    }
    void hidePanel() override { m_visible = false; }
    [[nodiscard]] bool isOnScreen() const override { return m_visible; }
    [[nodiscard]] double alphaValue() const override { return m_visible ? 1 : 0; }
    [[nodiscard]] QRectF frame() const override { return m_frame; }

    QList<QPointF> shownAt;

private:
    QPointF m_offset;
    QSizeF m_size;
    bool m_visible = false;
    QRectF m_frame;
};

/** The icon: 64 × 64 at the design's offset. */
class FakeIconPanel final : public FakePanel<IconPanel>
{
public:
    FakeIconPanel()
        : FakePanel(QPointF(20, -5), QSizeF(64, 64))
    {
    }

    /** Activates the icon as an armed click does. */
    void activate() const
    {
        if (m_onClick) {
            m_onClick();
        }
    }
};

/** The results: 320 × 420 to the right of the point, centred on it; its updates are recorded. */
class FakeResultsPanel final : public FakePanel<ResultsPanel>
{
public:
    struct Update
    {
        QList<PolishedResult> results;
        bool isPolishing = false;
        std::optional<QString> error;
    };

    FakeResultsPanel()
        : FakePanel(QPointF(20, -210), QSizeF(320, 420))
    {
    }

    void setContent(const QList<PolishedResult>& results, bool isPolishing, std::optional<QString> error) override
    {
        updates.append(Update{results, isPolishing, std::move(error)});
    }

    void showAt(QPointF at) override
    {
        const bool wasShown = isOnScreen();
        FakePanel::showAt(at);
        if (!wasShown) {
            notifyVisibility(true);
        }
    }
    void hidePanel() override
    {
        const bool wasShown = isOnScreen();
        FakePanel::hidePanel();
        if (wasShown) {
            notifyVisibility(false);
        }
    }

    // The keyboard's way to the cards, over the last content's results.
    void useCard(int index) override
    {
        if (!updates.isEmpty() && index >= 0 && index < updates.last().results.size()) {
            select(updates.last().results.at(index).content);
        }
    }
    void copyCard(int index) override { copiedCards.append(index); }
    void highlightNextCard() override { ++highlighted; }
    void useHighlightedCard() override { useCard(highlighted); }

    /** Presses "Use" on a card with `text`: the callback runs, then the panel hides itself. */
    void select(const QString& text)
    {
        if (m_onSelect) {
            m_onSelect(text);
        }
        hidePanel();
    }

    QList<Update> updates;
    QList<int> copiedCards;
    /** The highlighted card's index; -1 before the first move. */
    int highlighted = -1;
};

/** Makes fake panels and keeps a pointer to the last of each kind. */
class FakePanelFactory final : public PanelFactory
{
public:
    std::unique_ptr<IconPanel> createIconPanel() override
    {
        auto panel = std::make_unique<FakeIconPanel>();
        icon = panel.get();
        ++iconPanelsMade;
        return panel;
    }
    std::unique_ptr<ResultsPanel> createResultsPanel() override
    {
        auto panel = std::make_unique<FakeResultsPanel>();
        results = panel.get();
        ++resultsPanelsMade;
        return panel;
    }

    FakeIconPanel* icon = nullptr;
    FakeResultsPanel* results = nullptr;
    int iconPanelsMade = 0;
    int resultsPanelsMade = 0;
};

} // namespace quillora::test
