#pragma once

#include "app/PolishedResult.h"
#include "ui/FrameTicker.h"
#include "ui/Tween.h"

#include <QFrame>

#include <functional>
#include <optional>

class QAbstractButton;
class QLabel;

namespace quillora {

class CircleButton;
class ResultActions;

/**
 * One variation: an accent bar, the preset's name in capitals, a copy button, a "Use" button,
 * quiet lines for what the service said of it, and the selectable text (a long one clipped, with
 * "Show all"). What the buttons do is the app's `ResultActions`; after a copy that the
 * pasteboard took, the button shows a checkmark for 1.5 s.
 */
class ResultCard final : public QFrame
{
    Q_OBJECT

public:
    /**
     * A card for `result` whose buttons run `actions` (which must outlive the card); "Use" hands
     * the text to `onSelect`.
     */
    ResultCard(PolishedResult result, const ResultActions& actions, std::function<void(const QString&)> onSelect,
               QWidget* parent = nullptr);

    /** Shows the card's number, the key that uses it ("1" to "9"); 0 shows none. */
    void setNumber(int number);
    /** Draws the keyboard highlight around the card, or takes it away. */
    void setHighlighted(bool highlighted);
    [[nodiscard]] bool isHighlighted() const { return m_highlighted; }

    /**
     * Marks what the variation changed in `original` (insertions highlighted, removals struck
     * through; the accessible text says how many changes), or shows the plain variation for none.
     */
    void showChanges(const std::optional<QString>& original);

    /** What the copy button does. */
    void copy();
    /** What the "Use" button does. */
    void use();

    static constexpr double copiedDuration = 1.5;

    /** True while the copied mark shows. */
    [[nodiscard]] bool isCopied() const { return m_copied; }

    [[nodiscard]] const PolishedResult& result() const { return m_result; }
    [[nodiscard]] QAbstractButton& copyButton() const;
    [[nodiscard]] QAbstractButton& useButton() const;
    [[nodiscard]] QLabel& contentLabel() const { return *m_content; }

    /** True when the variation is long and the card shows only its start, with "Show all". */
    [[nodiscard]] bool isClipped() const;
    /** The "Show all" button of a clipped card; null otherwise. */
    [[nodiscard]] QAbstractButton* showAllButton() const { return m_showAllButton; }
    /** The quiet lines above the text: the corrections-only mark and the service's note. */
    [[nodiscard]] const QList<QLabel*>& quietLines() const { return m_quietLines; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    [[nodiscard]] QString shownText() const;
    void setCopied(bool copied);
    void paintCopySymbol(QPainter& painter, const QRectF& rect) const;

    PolishedResult m_result;
    const ResultActions& m_actions;
    std::function<void(const QString&)> m_onSelect;
    bool m_copied = false;
    Tween m_copiedAmount{0.0};
    CircleButton* m_copyButton;
    QAbstractButton* m_useButton;
    QLabel* m_content;
    QLabel* m_name;
    QAbstractButton* m_showAllButton = nullptr;
    QList<QLabel*> m_quietLines;
    bool m_highlighted = false;
    FrameTicker m_ticker;
};

} // namespace quillora
