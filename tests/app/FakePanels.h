#pragma once

#include "app/IconPanel.h"
#include "app/PanelFactory.h"
#include "app/ResultsPanel.h"

#include <QList>

#include <memory>
#include <optional>

namespace quillora::test {

/** An icon panel that only records: shown at once, hidden at once, 64 × 64 at the design's offset. */
class FakeIconPanel final : public IconPanel
{
public:
    void showAt(QPointF at) override
    {
        m_visible = true;
        m_frame = QRectF(at.x() + 20, at.y() - 5, 64, 64);
        shownAt.append(at);
    }
    void hidePanel() override { m_visible = false; }
    [[nodiscard]] bool isOnScreen() const override { return m_visible; }
    [[nodiscard]] double alphaValue() const override { return m_visible ? 1 : 0; }
    [[nodiscard]] QRectF frame() const override { return m_frame; }

    /** Activates the icon as an armed click does. */
    void activate() const
    {
        if (m_onClick) {
            m_onClick();
        }
    }

    QList<QPointF> shownAt;

private:
    bool m_visible = false;
    QRectF m_frame;
};

/** A results panel that records its updates; 320 × 420 to the right of the point, centred on it. */
class FakeResultsPanel final : public ResultsPanel
{
public:
    struct Update
    {
        QList<PolishedResult> results;
        bool isPolishing = false;
        std::optional<QString> error;
    };

    void showAt(QPointF at) override
    {
        m_visible = true;
        m_frame = QRectF(at.x() + 20, at.y() - 210, 320, 420);
        shownAt.append(at);
    }
    void setContent(const QList<PolishedResult>& results, bool isPolishing, std::optional<QString> error) override
    {
        updates.append(Update{results, isPolishing, std::move(error)});
    }
    void hidePanel() override { m_visible = false; }
    [[nodiscard]] bool isOnScreen() const override { return m_visible; }
    [[nodiscard]] double alphaValue() const override { return 1; }
    [[nodiscard]] QRectF frame() const override { return m_frame; }

    /** Presses "Use" on a card with `text`: the selection callback runs, then the panel hides. */
    void use(const QString& text)
    {
        if (m_onSelect) {
            m_onSelect(text);
        }
        hidePanel();
    }

    QList<QPointF> shownAt;
    QList<Update> updates;

private:
    bool m_visible = false;
    QRectF m_frame;
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
