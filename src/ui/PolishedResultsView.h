#pragma once

#include "app/PolishedResult.h"

#include <QList>
#include <QWidget>

#include <functional>
#include <optional>

namespace quillora {

class CardEntrance;
class ResultActions;
class ResultCard;

/**
 * The results panel's content, made once per update: a header with the title and a close button,
 * then either the error box, three pulsing placeholders, the list of cards, or the empty state.
 * Draws the panel's translucent rounded backdrop. 320 × 420 points.
 */
class PolishedResultsView final : public QWidget
{
    Q_OBJECT

public:
    /** What the area below the header shows. */
    enum class Content {
        Error,
        Placeholders,
        Results,
        Empty,
    };

    /** The view's callbacks. */
    struct Actions
    {
        /** Runs with a card's text when its "Use" button is pressed. */
        std::function<void(const QString&)> onSelect;
        /** Runs when the close button is pressed. */
        std::function<void()> onClose;
        /** The text the variations rewrite; with one, the header offers to mark the changes. */
        QString original;
    };

    /** The user-defaults key that remembers whether the cards mark their changes. */
    static constexpr auto showChangesKey = "showChanges";

    /** A view whose cards run `cardActions`, which must outlive the view. */
    PolishedResultsView(QList<PolishedResult> results, bool isPolishing, std::optional<QString> errorMessage,
                        Actions actions, const ResultActions& cardActions, QWidget* parent = nullptr);

    static constexpr int viewWidth = 320;
    static constexpr int viewHeight = 420;
    static constexpr double cornerRadius = 16;
    /** Delay between the entrances of consecutive cards. */
    static constexpr double entranceStagger = 0.06;

    /** What the view shows, chosen from the arguments: an error first, then placeholders, results, empty. */
    [[nodiscard]] Content content() const { return m_content; }

    /** The cards, in list order (empty unless the content is `Results`). */
    [[nodiscard]] QList<ResultCard*> cards() const;

    /** The card holders that animate the cards in, in list order. */
    [[nodiscard]] const QList<CardEntrance*>& entrances() const { return m_entrances; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    /** Marks the changes on every card, or takes the marks away. */
    void applyChanges(bool on);
    [[nodiscard]] QWidget* makeHeader();
    [[nodiscard]] QWidget* makeErrorBox(const QString& message) const;
    [[nodiscard]] QWidget* makePlaceholders() const;
    [[nodiscard]] QWidget* makeResultList();
    [[nodiscard]] QWidget* makeEmptyState() const;

    QList<PolishedResult> m_results;
    Actions m_actions;
    const ResultActions& m_cardActions;
    Content m_content;
    QList<CardEntrance*> m_entrances;
};

} // namespace quillora
