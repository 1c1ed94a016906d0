#pragma once

#include "app/AIPolishingService.h"
#include "app/PasteService.h"
#include "app/PolishedResult.h"
#include "capture/TextStrategy.h"
#include "core/Clock.h"
#include "core/LifetimeGuard.h"
#include "core/PolishLimits.h"
#include "platform/MouseMonitor.h"
#include "platform/PanelKeys.h"
#include "platform/SelectionChangeMonitor.h"

#include <QList>
#include <QMap>
#include <QObject>
#include <QPointF>
#include <QString>
#include <QStringList>

#include <qcoro/qcorotask.h>

#include <exception>
#include <memory>
#include <optional>

namespace quillora {

class HistoryManager;
class IconPanel;
class PanelFactory;
class PrivacyGuard;
class ResultsPanel;
class SelectedTextManager;

/**
 * Watches the user's left mouse button in other applications while tracking is on. When a drag, or
 * a double or triple click, ends with at least 10 characters selected, it remembers the selection
 * and shows the floating icon beside the pointer; activating the icon runs a polish session, whose
 * variations the results panel shows and "Use" pastes back. Owns both panels (made on first use)
 * and publishes the state the windows observe. Main thread only.
 */
class SelectionTracker final : public QObject
{
    Q_OBJECT

public:
    /** The user-defaults key that says whether tracking should run. */
    static constexpr auto trackingEnabledKey = "isTrackingEnabled";
    /** The wait between a release and the read of the selection, in seconds. */
    static constexpr double selectionDelay = 0.15;
    /** A drag must move farther than this, in points, to count as a selection gesture. */
    static constexpr double minimumDragDistance = 5;
    /** The fewest characters (after trimming) a selection needs to show the icon. */
    static constexpr qsizetype minimumSelectionLength = 10;
    /**
     * The user-defaults key of the settle time, in milliseconds: where presses cannot be watched,
     * a selection that stays unchanged this long counts as released.
     */
    static constexpr auto settleTimeKey = "selectionSettleMilliseconds";
    /** The settle time when none is stored, in milliseconds. */
    static constexpr int defaultSettleMilliseconds = 300;
    /**
     * The user-defaults key that says whether a selection shows the icon (true when absent); when
     * false, only the shortcut polishes, and selections are not even read.
     */
    static constexpr auto showIconKey = "showIconOnSelection";
    /** The user-defaults key of the wait before the icon appears, in milliseconds (0–1,000; 0 when absent). */
    static constexpr auto iconDelayKey = "iconDelayMilliseconds";
    /** How long a polish asked for by the user waits before reading the selection a second time, in seconds. */
    static constexpr double requestRetryDelay = 0.25;
    /** The most user-perceived characters the backend polishes at once. */
    static constexpr qsizetype maximumSelectionLength = PolishLimits::maximumTextLength;
    /** How long the frontmost application may take to show it answers at all before a read, in ms. */
    static constexpr int answerBudgetMs = 300;

    /** What a tracker works with. The tracker does not own them; they must outlive it. */
    struct Services
    {
        PanelFactory& panelFactory;
        SelectedTextManager& textManager;
        HistoryManager& historyManager;
        PasteService& pasteService;
        AIPolishingService polishingService;
        /** What must never be read, asked before every read; null refuses nothing. */
        PrivacyGuard* privacyGuard = nullptr;
    };

    explicit SelectionTracker(Services services, QObject* parent = nullptr);
    ~SelectionTracker() override;

    /** True when "isTrackingEnabled" was never written, otherwise the stored value. */
    [[nodiscard]] bool isEnabled() const;

    /**
     * Stores "isTrackingEnabled" = true and, unless the release monitor is installed already,
     * fills `capturedTexts` from the history when empty, makes both panels and installs the press
     * and release monitors, and where the platform reports selection changes instead of presses,
     * a handler for those. A monitor the platform refuses stays missing; `isTracking` is true anyway.
     */
    void startTracking();

    /**
     * Stores "isTrackingEnabled" = false, removes both monitors, hides the icon (with its fade)
     * and takes the results panel off the screen. The panels are kept for a later start.
     */
    void stopTracking();

    /**
     * Starts a polish session for `lastCapturedText`: opens the results panel beside the pointer
     * with placeholders, hides the icon and sends the text to the backend. Does nothing while
     * `lastCapturedText` is empty. Run by the icon when it is activated.
     */
    void handleIconClick();

    /**
     * Polishes the current selection of the frontmost application at once, without the icon: reads
     * it (the copy shortcut only where presses are watched, since the user asked), then opens the
     * results panel beside the selection, or by the pointer, and starts a polish session. Does
     * nothing while a session runs, and, with no selected text, shows the panel with that error.
     */
    void polishCurrentSelection();

    [[nodiscard]] const QStringList& capturedTexts() const { return m_capturedTexts; }
    [[nodiscard]] const QString& lastCapturedText() const { return m_lastCapturedText; }
    [[nodiscard]] const QList<PolishedResult>& polishedResults() const { return m_polishedResults; }
    [[nodiscard]] bool isTracking() const { return m_isTracking; }
    [[nodiscard]] bool isPolishing() const { return m_isPolishing; }

    /** Whether a selection shows the icon, as "showIconOnSelection" says. */
    [[nodiscard]] bool showsIconOnSelection() const;
    /** The wait before the icon appears, in seconds; a new gesture meanwhile cancels the icon. */
    [[nodiscard]] double iconDelay() const;

    /** True from the start to the end of one selection check. */
    [[nodiscard]] bool isCheckingSelection() const { return m_isCheckingSelection; }
    /** True when the next release is to be ignored (the press was on one of our title bars). */
    [[nodiscard]] bool skipNextSelection() const { return m_skipNextSelection; }
    /** The pointer location at the last accepted press. */
    [[nodiscard]] std::optional<QPointF> startPoint() const { return m_startPoint; }

    /** The icon panel, made on first use: identifier "floatingIcon", activation starts a session. */
    IconPanel& iconPanel();
    /** The results panel, made on first use: identifier "results", "Use" pastes the text. */
    ResultsPanel& getResultsWindow();
    /** The icon panel when it has been made, else null. */
    [[nodiscard]] IconPanel* floatingWindow() const { return m_floatingWindow.get(); }
    /** The results panel when it has been made, else null. */
    [[nodiscard]] ResultsPanel* resultsWindow() const { return m_resultsWindow.get(); }

    /**
     * Waits 150 ms, then reads the selection with the accessibility strategy and, when that gives
     * no text, blank text or an error, from the platform's primary selection where it has one (only
     * a selection taken during this gesture), then with the shortcut strategy. Returns the text
     * trimmed of white space and line breaks, or none when none gave non-blank text. Never throws.
     */
    QCoro::Task<std::optional<QString>> getSelectedTextSafely();

    /** The settle time in seconds: the stored one, kept between 0.05 and 2 s, else 0.3 s. */
    [[nodiscard]] double settleTime() const;

    /**
     * How often reading the selection failed, by reason ("no accessibility access", "timed out",
     * or the error's description); a read that found nothing is not a failure.
     */
    [[nodiscard]] const QMap<QString, int>& selectionFailures() const { return m_selectionFailures; }

    /** What the results panel says when asked to polish while no text is selected. */
    [[nodiscard]] static QString noSelectionMessage();

    /** What the results panel says when "Use" could only copy the variation (no key can be posted). */
    [[nodiscard]] static QString copiedOnlyMessage();

    /** What the results panel says when "Use" found the selection's window gone and copied instead. */
    [[nodiscard]] static QString targetGoneMessage();

    /** What the panel says when "Use" only copied because the application does not answer. */
    [[nodiscard]] static QString targetNotAnsweringMessage();

    /** What the results panel says instead of polishing a selection of `characters` over the limit. */
    [[nodiscard]] static QString tooLongMessage(qsizetype characters);

    /** Where the text of the current session was selected; none before the first selection. */
    [[nodiscard]] const std::optional<PasteTarget>& selectionSource() const { return m_selectionSource; }

    /** The reason counted when a read failed because the process may not use accessibility. */
    [[nodiscard]] static QString noAccessReason();

    /**
     * True when `p` lies in the frame, but outside the content area, of one of this application's
     * visible, not minimised windows that is not a panel (normally on its title bar).
     */
    [[nodiscard]] bool isMouseInTitleBar(QPointF p) const;

    /** The straight-line distance from `from` to `to`; a missing `from` counts as distance 0. */
    [[nodiscard]] static double calculateDistance(std::optional<QPointF> from, QPointF to);

Q_SIGNALS:
    void capturedTextsChanged();
    void lastCapturedTextChanged();
    void polishedResultsChanged();
    void isTrackingChanged();
    void isPolishingChanged();
    /** A selection read failed for lack of accessibility access. */
    void selectionAccessDenied();

private:
    void handleMouseDown(const MouseEvent& event);
    void handleMouseUp(const MouseEvent& event);
    QCoro::Task<> checkSelection(QPointF p);
    /** Escape, Tab, Enter and the number keys while the results panel is up. */
    void handlePanelKey(const PanelKeyPress& press);
    /** Waits the icon delay; false when a new gesture began meanwhile (or the tracker went). */
    QCoro::Task<bool> waitBeforeIcon();
    void handleSelectionChange();
    QCoro::Task<> checkSettledSelection();
    QCoro::Task<std::optional<QPointF>> settledSelectionAnchor();
    QCoro::Task<std::optional<QString>> readSelection(double delay, bool mayPostKeys);
    /** The frontmost application and, when `withElement`, the focused element. Never throws. */
    [[nodiscard]] static PasteTarget currentSource(bool withElement);
    /** Takes `text` as the session's text, with the place it was read from. */
    void captureSelection(const QString& text, std::optional<PasteTarget> source);
    /** Shows `message` in the results panel once it has left the screen after a choice. */
    void reopenResultsWith(const QString& message);
    /** "Use": pastes `text` over the selection unless its application stopped answering. */
    QCoro::Task<> useVariation(QString text);
    QCoro::Task<> polish(ResultsPanel* results);
    QCoro::Task<> polishSelectionNow();
    void openResultsAt(QPointF p);

    void noteSelectionFailure(TextStrategy strategy, std::exception_ptr failure);
    [[nodiscard]] static QString selectionFailureReason(std::exception_ptr failure);
    void setCapturedTexts(QStringList texts);
    void setLastCapturedText(QString text);
    void setPolishedResults(QList<PolishedResult> results);
    void setIsTracking(bool tracking);
    void setIsPolishing(bool polishing);

    Services m_services;
    QStringList m_capturedTexts;
    QMap<QString, int> m_selectionFailures;
    QString m_lastCapturedText;
    QList<PolishedResult> m_polishedResults;
    bool m_isTracking = false;
    /** Where the last read found its text. */
    std::optional<PasteTarget> m_lastReadSource;
    /** Where the session's text was selected: "Use" pastes only while it has the focus. */
    std::optional<PasteTarget> m_selectionSource;
    /** Why the last read was refused, for the panel of a polish asked for; none when it was not. */
    std::optional<QString> m_lastRefusal;
    /** The wait before the icon now running, if any: a new gesture cancels it. */
    CancellationToken m_iconWait;
    bool m_isPolishing = false;
    std::optional<MouseMonitorHandle> m_mouseMonitor;
    std::optional<MouseMonitorHandle> m_mouseDownMonitor;
    std::optional<SelectionChangeHandle> m_selectionChanges;
    /** Runs out when a changed selection has stayed unchanged for the settle time. */
    Timer m_settleTimer;
    /** When the settle timer last ran out, on the monotonic clock. */
    double m_settledAt = 0;
    std::optional<QPointF> m_startPoint;
    /** Where the results panel was last opened. */
    std::optional<QPointF> m_resultsAnchor;
    bool m_isCheckingSelection = false;
    bool m_skipNextSelection = false;
    std::unique_ptr<IconPanel> m_floatingWindow;
    std::unique_ptr<ResultsPanel> m_resultsWindow;
    /** Ends first when the tracker goes: a task resuming afterwards stops at once. */
    LifetimeGuard m_lifetime;
};

} // namespace quillora
