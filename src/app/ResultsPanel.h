#pragma once

#include "app/PolishedResult.h"

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <functional>
#include <optional>

namespace quillora {

/**
 * The floating panel that shows a polishing's placeholders, variations or error. It never takes
 * focus from the application the text came from. Positions and frames are in screen points: points, origin at the
 * bottom-left corner of the primary screen, y growing upward. Main thread only.
 */
class ResultsPanel
{
public:
    ResultsPanel() = default;
    ResultsPanel(const ResultsPanel&) = delete;
    ResultsPanel& operator=(const ResultsPanel&) = delete;
    virtual ~ResultsPanel() = default;

    /**
     * Shows the panel beside `at`, vertically centred on it and kept inside the visible frame of the
     * screen that holds `at` (the main screen when none does). Shows whatever content it has.
     */
    virtual void showAt(QPointF at) = 0;

    /**
     * Rebuilds the content: the error box when `error` is set, else placeholders while
     * `isPolishing`, else one card per result, else the empty state. Never fails.
     */
    virtual void setContent(const QList<PolishedResult>& results, bool isPolishing, std::optional<QString> error) = 0;

    /** The text the variations rewrite, which the panel can mark their changes against. */
    virtual void setOriginalText(const QString& text) { static_cast<void>(text); }

    /** Takes the panel off the screen at once, keeping its content. Never fails. */
    virtual void hidePanel() = 0;

    /** True while the panel is on the screen. */
    [[nodiscard]] virtual bool isOnScreen() const = 0;

    /** The panel's opacity, 0 (invisible) to 1. */
    [[nodiscard]] virtual double alphaValue() const = 0;

    /** The panel's frame in screen points. */
    [[nodiscard]] virtual QRectF frame() const = 0;

    // The keyboard's way to the cards. A panel that draws no cards (a demo's, a benchmark's)
    // ignores them.

    /** Uses the card at `index` (from 0) as its "Use" button would; an index without a card is ignored. */
    virtual void useCard(int index) { static_cast<void>(index); }
    /** Copies the card at `index` as its copy button would; an index without a card is ignored. */
    virtual void copyCard(int index) { static_cast<void>(index); }
    /** Moves the keyboard highlight to the next card (the first after the last, or at first). */
    virtual void highlightNextCard() {}
    /** Uses the highlighted card; nothing without a highlight. */
    virtual void useHighlightedCard() {}

    /** Sets the callback run each time the panel goes on (true) or off (false) the screen. */
    void setOnVisibilityChanged(std::function<void(bool)> onVisibilityChanged);

    /**
     * Whether `p` lies in `frame()`: left and bottom edges inside, right and top edges outside.
     */
    [[nodiscard]] bool contains(QPointF p) const;

    /**
     * Sets the callback run with a card's text when its "Use" button is pressed; the panel hides
     * itself right after the callback returns.
     */
    void setOnSelect(std::function<void(const QString&)> onSelect);

    /** Names the window for automation and diagnostics (e.g. "results"). */
    void setIdentifier(QString identifier);

    /** The name given by `setIdentifier`; empty until set. */
    [[nodiscard]] const QString& identifier() const { return m_identifier; }

protected:
    /** Called after `setIdentifier` so that a window can pass the name on. */
    virtual void identifierChanged() {}
    /** Runs the visibility callback; panels call it whenever they go on or off the screen. */
    void notifyVisibility(bool onScreen) const;

    std::function<void(bool)> m_onVisibilityChanged;

    std::function<void(const QString&)> m_onSelect;
    QString m_identifier;
};

} // namespace quillora
