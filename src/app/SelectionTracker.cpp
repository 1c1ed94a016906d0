#include "app/SelectionTracker.h"

#include "app/AppLogger.h"
#include "app/HistoryManager.h"
#include "app/IconAnchor.h"
#include "app/IconPanel.h"
#include "app/PanelFactory.h"
#include "app/PasteService.h"
#include "app/PrivacyGuard.h"
#include "app/ResultsPanel.h"
#include "ax/AXError.h"
#include "ax/SystemWideElement.h"
#include "capture/CaptureKitError.h"
#include "capture/ElementAccessors.h"
#include "capture/SelectedTextManager.h"
#include "core/Clock.h"
#include "core/Detached.h"
#include "core/Error.h"
#include "core/Graphemes.h"
#include "platform/Accessibility.h"
#include "platform/AppWindows.h"
#include "platform/Compositor.h"
#include "platform/Platform.h"
#include "platform/PrimarySelection.h"
#include "platform/ScreenCoordinates.h"
#include "platform/Screens.h"
#include "platform/SelectionChangeMonitor.h"
#include "platform/UserDefaults.h"
#include "platform/Workspace.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace quillora {

namespace {

const QString kLogFile = QStringLiteral("quillora/SelectionTracker");

// The text without white space and line breaks at either end. QChar::isSpace covers the Unicode
// separators and the control characters tab, line feed to carriage return and next line.
QString trimmedText(const QString& text)
{
    return text.trimmed();
}

} // namespace

SelectionTracker::SelectionTracker(Services services, QObject* parent)
    : QObject(parent)
    , m_services(std::move(services))
{
}

SelectionTracker::~SelectionTracker()
{
    m_settleTimer.invalidate();
    // The monitors go with the tracker (the stored choice to track stays as it is). The lifetime
    // guard, destroyed first, wakes a selection check suspended in its wait; seeing the tracker
    // gone, it ends.
    if (Platform::hasCurrent()) {
        if (PanelKeys* keys = Platform::current().panelKeys()) {
            keys->release();
        }
        for (const std::optional<MouseMonitorHandle>& handle : {m_mouseMonitor, m_mouseDownMonitor}) {
            if (handle) {
                Platform::current().mouseMonitor().removeMonitor(*handle);
            }
        }
        if (SelectionChangeMonitor* changes = Platform::current().selectionChangeMonitor();
            changes && m_selectionChanges) {
            changes->removeHandler(*m_selectionChanges);
        }
    }
}

bool SelectionTracker::isEnabled() const
{
    const UserDefaults& defaults = Platform::current().userDefaults();
    const QString key = QLatin1String(trackingEnabledKey);
    return !defaults.contains(key) || defaults.boolValue(key);
}

void SelectionTracker::startTracking()
{
    Platform::current().userDefaults().set(QLatin1String(trackingEnabledKey), true);
    if (m_mouseMonitor) {
        return;
    }
    setIsTracking(true);
    if (m_capturedTexts.isEmpty()) {
        QStringList texts;
        for (const HistoryItem& item : m_services.historyManager.items()) {
            texts.append(item.originalText);
        }
        setCapturedTexts(std::move(texts));
    }
    // The panels exist before the first gesture, so that the first icon appears without delay.
    iconPanel();
    getResultsWindow();

    MouseMonitor& monitor = Platform::current().mouseMonitor();
    // After a start whose release monitor was refused, the press monitor may be in place already;
    // it is replaced rather than installed a second time.
    if (m_mouseDownMonitor) {
        monitor.removeMonitor(*m_mouseDownMonitor);
    }
    const LifetimeGuard::Watch alive = m_lifetime.watch();
    m_mouseDownMonitor =
        monitor.addGlobalMonitor(MouseEventType::leftMouseDown, [this, alive](const MouseEvent& event) {
            if (alive) {
                handleMouseDown(event);
            }
        });
    m_mouseMonitor = monitor.addGlobalMonitor(MouseEventType::leftMouseUp, [this, alive](const MouseEvent& event) {
        if (alive) {
            handleMouseUp(event);
        }
    });
    if (SelectionChangeMonitor* changes = Platform::current().selectionChangeMonitor();
        changes && !m_selectionChanges) {
        m_selectionChanges = changes->addHandler([this, alive] {
            if (alive) {
                handleSelectionChange();
            }
        });
        // Without presses, a gesture is whatever happened since the last settled check.
        if (PrimarySelection* primary = Platform::current().primarySelection()) {
            primary->beginGesture();
        }
    }
}

void SelectionTracker::stopTracking()
{
    Platform::current().userDefaults().set(QLatin1String(trackingEnabledKey), false);
    MouseMonitor& monitor = Platform::current().mouseMonitor();
    if (m_mouseMonitor) {
        monitor.removeMonitor(*m_mouseMonitor);
    }
    if (m_mouseDownMonitor) {
        monitor.removeMonitor(*m_mouseDownMonitor);
    }
    m_mouseMonitor.reset();
    m_mouseDownMonitor.reset();
    if (SelectionChangeMonitor* changes = Platform::current().selectionChangeMonitor(); changes && m_selectionChanges) {
        changes->removeHandler(*m_selectionChanges);
    }
    m_selectionChanges.reset();
    m_settleTimer.invalidate();
    if (m_floatingWindow) {
        m_floatingWindow->hidePanel();
    }
    if (m_resultsWindow) {
        m_resultsWindow->hidePanel();
    }
    setIsTracking(false);
}

void SelectionTracker::handleMouseDown(const MouseEvent& event)
{
    if (m_isPolishing) {
        return;
    }
    const QPointF location = Platform::current().mouseMonitor().mouseLocation();
    m_startPoint = location;
    m_skipNextSelection = isMouseInTitleBar(location);
    // A selection made from here on belongs to this gesture; an older primary selection is stale.
    if (PrimarySelection* primary = Platform::current().primarySelection(); primary && event.clickCount == 1) {
        primary->beginGesture();
    }
    if (event.clickCount != 1) {
        // The second and third presses of a multi-click leave the panels as they are.
        return;
    }
    m_iconWait.cancel();
    if (m_resultsWindow && m_resultsWindow->isOnScreen() && m_resultsWindow->contains(location)) {
        return;
    }
    if (m_floatingWindow) {
        m_floatingWindow->hidePanel();
    }
    if (m_resultsWindow) {
        m_resultsWindow->hidePanel();
    }
}

void SelectionTracker::handleMouseUp(const MouseEvent& event)
{
    if (m_isPolishing || m_isCheckingSelection || !showsIconOnSelection()) {
        return;
    }
    // No selection is looked for while results are on the screen.
    if (m_resultsWindow && m_resultsWindow->isOnScreen() && m_resultsWindow->alphaValue() > 0) {
        return;
    }
    const QPointF p = Platform::current().mouseMonitor().mouseLocation();
    if (m_floatingWindow && m_floatingWindow->isOnScreen() && m_floatingWindow->contains(p)) {
        return;
    }
    if (m_resultsWindow && m_resultsWindow->isOnScreen() && m_resultsWindow->contains(p)) {
        return;
    }
    if (m_skipNextSelection) {
        m_skipNextSelection = false;
        return;
    }
    const bool mayHaveSelected = calculateDistance(m_startPoint, p) > minimumDragDistance || event.clickCount >= 2;
    if (mayHaveSelected) {
        runDetached(checkSelection(p));
    }
}

void SelectionTracker::handleSelectionChange()
{
    // Results stay while a polish runs, as they do for a press. Otherwise the panels are left as
    // they are until the selection settles: accessibility events often arrive late, after a slow
    // read held the event loop, and they must not take away an icon the user is reaching for.
    m_iconWait.cancel();
    if (m_isPolishing || !showsIconOnSelection()) {
        return;
    }
    m_settleTimer.invalidate();
    m_settleTimer = Platform::current().clock().schedule(settleTime(), [this, alive = m_lifetime.watch()] {
        if (alive) {
            m_settledAt = Platform::current().clock().monotonicNow();
            runDetached(checkSettledSelection());
        }
    });
}

QCoro::Task<> SelectionTracker::checkSettledSelection()
{
    const LifetimeGuard::Watch alive = m_lifetime.watch();
    if (m_isPolishing || m_isCheckingSelection) {
        co_return;
    }
    m_isCheckingSelection = true;
    // The selection has been still for the settle time already: it is read at once, and only
    // where it can be read without keys, since a focus change settles too and must never get a
    // copy shortcut.
    QCoro::Task<std::optional<QString>> read = readSelection(0, false);
    const std::optional<QString> text = co_await std::move(read);
    if (!alive) {
        co_return;
    }
    const std::optional<PasteTarget> source = m_lastReadSource;
    // A primary selection counts once: the next gesture begins now.
    if (PrimarySelection* primary = Platform::current().primarySelection()) {
        primary->beginGesture();
    }
    const bool panelShown =
        (m_floatingWindow && m_floatingWindow->isOnScreen()) || (m_resultsWindow && m_resultsWindow->isOnScreen());
    if (panelShown && text == m_lastCapturedText) {
        // The same selection as the one on screen: late events of the same gesture.
        m_isCheckingSelection = false;
        co_return;
    }
    // What a press does where presses are seen: a new gesture began, and the panels of the last
    // one go, unless a polish runs.
    if (!m_isPolishing) {
        if (m_floatingWindow) {
            m_floatingWindow->hidePanel();
        }
        if (m_resultsWindow) {
            m_resultsWindow->hidePanel();
        }
    }
    if (text && Graphemes::hasAtLeast(*text, minimumSelectionLength)) {
        QCoro::Task<bool> waiting = waitBeforeIcon();
        const bool stillWanted = co_await std::move(waiting);
        if (!alive) {
            co_return;
        }
        if (!stillWanted) {
            m_isCheckingSelection = false;
            co_return;
        }
        QCoro::Task<std::optional<QPointF>> placing = settledSelectionAnchor();
        const std::optional<QPointF> anchor = co_await std::move(placing);
        if (!alive) {
            co_return;
        }
        // A polish asked for meanwhile has the results on the screen: no icon over them.
        const bool resultsShown = m_isPolishing || (m_resultsWindow && m_resultsWindow->isOnScreen());
        if (anchor && !resultsShown) {
            AppLogger::log(QStringLiteral("✅ Confirmed Selection: \"%1...\"")
                               .arg(AppLogger::privateText(Graphemes::prefix(*text, 20))),
                           kLogFile);
            captureSelection(*text, source);
            iconPanel().showAt(*anchor);
            const double elapsed = Platform::current().clock().monotonicNow() - m_settledAt;
            AppLogger::log(
                QStringLiteral("🕒 Icon shown %1 ms after the selection settled").arg(elapsed * 1000, 0, 'f', 2),
                kLogFile);
        }
    }
    m_isCheckingSelection = false;
}

QCoro::Task<std::optional<QPointF>> SelectionTracker::settledSelectionAnchor()
{
    const LifetimeGuard::Watch alive = m_lifetime.watch();
    IconAnchor::Known known;
    if (Compositor* compositor = Platform::current().compositor()) {
        QCoro::Task<std::optional<QPointF>> pointer = compositor->pointerLocation();
        known.pointer = co_await std::move(pointer);
        if (!alive) {
            co_return std::nullopt;
        }
        if (!known.pointer) {
            QCoro::Task<std::optional<ForeignWindow>> window = compositor->focusedWindow();
            known.window = co_await std::move(window);
            if (!alive) {
                co_return std::nullopt;
            }
        }
    }
    if (!known.pointer && known.window) {
        if (SelectionChangeMonitor* changes = Platform::current().selectionChangeMonitor()) {
            known.selectionEndInWindow = changes->selectionEndInWindow();
        }
    }
    const Screens& screens = Platform::current().screens();
    const ScreenCoordinates coordinates = screens.coordinates();
    if (const std::optional<Screen> main = screens.mainScreen()) {
        known.screen = coordinates.toQt(main->visibleFrame);
    }
    const std::optional<QPointF> anchor = IconAnchor::place(known);
    co_return anchor ? std::optional<QPointF>(coordinates.fromQt(*anchor)) : std::nullopt;
}

QCoro::Task<> SelectionTracker::checkSelection(QPointF p)
{
    const LifetimeGuard::Watch alive = m_lifetime.watch();
    m_isCheckingSelection = true;
    // Tasks are named rather than made inside co_await expressions: GCC 12 destroys temporaries
    // of such expressions twice.
    QCoro::Task<std::optional<QString>> read = getSelectedTextSafely();
    const std::optional<QString> text = co_await std::move(read);
    if (!alive) {
        co_return;
    }
    const std::optional<PasteTarget> source = m_lastReadSource;
    if (text && Graphemes::hasAtLeast(trimmedText(*text), minimumSelectionLength)) {
        QCoro::Task<bool> waiting = waitBeforeIcon();
        const bool stillWanted = co_await std::move(waiting);
        if (!alive) {
            co_return;
        }
        if (stillWanted) {
            AppLogger::log(QStringLiteral("✅ Confirmed Selection: \"%1...\"")
                               .arg(AppLogger::privateText(Graphemes::prefix(*text, 20))),
                           kLogFile);
            captureSelection(*text, source);
            iconPanel().showAt(p);
        }
    }
    m_isCheckingSelection = false;
}

QCoro::Task<bool> SelectionTracker::waitBeforeIcon()
{
    const double delay = iconDelay();
    if (delay <= 0) {
        co_return true;
    }
    const LifetimeGuard::Watch alive = m_lifetime.watch();
    m_iconWait = m_lifetime.token().child();
    const CancellationToken wait = m_iconWait;
    QCoro::Task<> sleeping = Platform::current().clock().sleep(delay, wait);
    co_await std::move(sleeping);
    co_return alive && !wait.isCancelled();
}

bool SelectionTracker::showsIconOnSelection() const
{
    const UserDefaults& defaults = Platform::current().userDefaults();
    const QString key = QLatin1String(showIconKey);
    return !defaults.contains(key) || defaults.boolValue(key);
}

double SelectionTracker::iconDelay() const
{
    bool isNumber = false;
    const qint64 stored = Platform::current().userDefaults().object(QLatin1String(iconDelayKey)).toLongLong(&isNumber);
    return double(std::clamp<qint64>(isNumber ? stored : 0, 0, 1000)) / 1000.0;
}

QCoro::Task<std::optional<QString>> SelectionTracker::getSelectedTextSafely()
{
    return readSelection(selectionDelay, true);
}

double SelectionTracker::settleTime() const
{
    const UserDefaults& defaults = Platform::current().userDefaults();
    const QString key = QLatin1String(settleTimeKey);
    bool isNumber = false;
    const qint64 stored = defaults.object(key).toLongLong(&isNumber);
    return double(std::clamp<qint64>(isNumber ? stored : defaultSettleMilliseconds, 50, 2000)) / 1000.0;
}

QCoro::Task<std::optional<QString>> SelectionTracker::readSelection(double delay, bool mayPostKeys)
{
    const LifetimeGuard::Watch alive = m_lifetime.watch();
    if (delay > 0) {
        // A cancelled wait simply ends early; the read goes ahead unless the tracker is gone.
        QCoro::Task<> wait = Platform::current().clock().sleep(delay, m_lifetime.token());
        co_await std::move(wait);
        if (!alive) {
            co_return std::nullopt;
        }
    }
    // An application that does not answer at all (stopped or hung) is left alone: each call to it
    // would hold this thread for its whole budget, and copy keys queued in it would run when it
    // resumes, after the clipboard was restored. Asking costs this thread nothing.
    if (const std::optional<RunningApplication> front = Platform::current().workspace().frontmostApplication()) {
        QCoro::Task<bool> asking = Platform::current().accessibility().answers(front->pid, answerBudgetMs);
        const bool answers = co_await std::move(asking);
        if (!alive) {
            co_return std::nullopt;
        }
        if (!answers) {
            AppLogger::log(QStringLiteral("⏳ Selection not read: the application does not answer"), kLogFile);
            co_return std::nullopt;
        }
    }
    m_lastRefusal.reset();
    m_lastReadSource.reset();
    if (m_services.privacyGuard != nullptr) {
        if (std::optional<QString> refusal = m_services.privacyGuard->refusal()) {
            AppLogger::log(QStringLiteral("🔒 Selection not read: %1").arg(*refusal), kLogFile);
            m_lastRefusal = std::move(refusal);
            co_return std::nullopt;
        }
    }
    // Every failure of the toolkit is dropped: the only visible effect is that no icon appears.
    for (const TextStrategy strategy : {TextStrategy::accessibility, TextStrategy::shortcut}) {
        // Where the desktop has a primary selection it comes before the shortcut: it posts no key,
        // and it serves applications without accessibility, such as terminals.
        PrimarySelection* primary = Platform::current().primarySelection();
        if (strategy == TextStrategy::shortcut && primary != nullptr) {
            if (const std::optional<QString> selected = primary->textChangedDuringGesture()) {
                if (QString trimmed = trimmedText(*selected); !trimmed.isEmpty()) {
                    m_lastReadSource = currentSource(false);
                    co_return trimmed;
                }
            }
        }
        if (strategy == TextStrategy::shortcut && !mayPostKeys) {
            break;
        }
        std::optional<QString> text;
        std::exception_ptr failure;
        try {
            QCoro::Task<std::optional<QString>> read = m_services.textManager.getSelectedText(strategy, std::nullopt);
            text = co_await std::move(read);
        } catch (...) {
            failure = std::current_exception();
        }
        if (alive && failure) {
            noteSelectionFailure(strategy, failure);
        }
        if (!alive) {
            co_return std::nullopt;
        }
        if (text) {
            QString trimmed = trimmedText(*text);
            if (!trimmed.isEmpty()) {
                m_lastReadSource = currentSource(strategy == TextStrategy::accessibility);
                co_return trimmed;
            }
        }
    }
    co_return std::nullopt;
}

PasteTarget SelectionTracker::currentSource(bool withElement)
{
    PasteTarget source;
    if (const std::optional<RunningApplication> front = Platform::current().workspace().frontmostApplication()) {
        source.pid = front->pid;
    }
    if (!withElement) {
        return source;
    }
    // The element just answered the read, so these calls cost a round trip each, not a time-out.
    try {
        source.element = capture::focusedUIElement(systemWideElement());
        if (source.pid <= 0 && source.element) {
            source.pid = source.element->pid();
        }
    } catch (...) {
        AppLogger::log(
            QStringLiteral("⚠️ The focused element could not be noted; \"Use\" checks the application only"),
            kLogFile);
    }
    return source;
}

void SelectionTracker::captureSelection(const QString& text, std::optional<PasteTarget> source)
{
    m_selectionSource = std::move(source);
    setLastCapturedText(text);
}

QString SelectionTracker::selectionFailureReason(std::exception_ptr failure)
{
    const ErrorPtr error = errorFromException(failure);
    if (!error) {
        return QStringLiteral("unknown error");
    }
    if (const auto* axError = dynamic_cast<const AXError*>(error.get());
        axError != nullptr && axError->code() == AXResult::APIDisabled) {
        return noAccessReason();
    }
    if (const auto* toolkitError = dynamic_cast<const CaptureKitError*>(error.get())) {
        if (toolkitError->as<CaptureKitError::AccessibilityPermissionDenied>() != nullptr) {
            return noAccessReason();
        }
        if (toolkitError->isTimeout()) {
            return QStringLiteral("timed out");
        }
    }
    return error->localizedDescription();
}

void SelectionTracker::noteSelectionFailure(TextStrategy strategy, std::exception_ptr failure)
{
    // The reason only: the selection itself never reaches the log.
    const QString reason = selectionFailureReason(failure);
    ++m_selectionFailures[reason];
    AppLogger::log(QStringLiteral("⚠️ Selection not read via %1: %2").arg(description(strategy), reason), kLogFile);
    if (reason == noAccessReason()) {
        Q_EMIT selectionAccessDenied();
    }
}

QString SelectionTracker::noSelectionMessage()
{
    return QStringLiteral("No selected text to polish: select some text first.");
}

QString SelectionTracker::copiedOnlyMessage()
{
    return QStringLiteral("Copied — press Ctrl+V");
}

QString SelectionTracker::targetGoneMessage()
{
    return QStringLiteral("Copied — the original window is gone");
}

QString SelectionTracker::targetNotAnsweringMessage()
{
    return QStringLiteral("Copied — the application does not answer; press Ctrl+V once it does");
}

QString SelectionTracker::tooLongMessage(qsizetype characters)
{
    const QLocale locale(QLocale::English);
    return QStringLiteral(
               "The selection is too long to polish: it has %1 characters; at most %2 can be polished at once.")
        .arg(locale.toString(characters), locale.toString(maximumSelectionLength));
}

QString SelectionTracker::noAccessReason()
{
    return QStringLiteral("no accessibility access");
}

bool SelectionTracker::isMouseInTitleBar(QPointF p) const
{
    const AppWindows& appWindows = Platform::current().appWindows();
    for (const AppWindowInfo& window : appWindows.windows()) {
        if (!window.isVisible || window.isMiniaturized || window.isPanel) {
            continue;
        }
        if (mouseInRect(p, window.frame) && window.contentRect && !mouseInRect(p, *window.contentRect)) {
            // Another application's window on top of ours takes the press.
            return appWindows.isFrontmostAt(p);
        }
    }
    return false;
}

double SelectionTracker::calculateDistance(std::optional<QPointF> from, QPointF to)
{
    if (!from) {
        return 0;
    }
    return std::hypot(to.x() - from->x(), to.y() - from->y());
}

IconPanel& SelectionTracker::iconPanel()
{
    if (!m_floatingWindow) {
        m_floatingWindow = m_services.panelFactory.createIconPanel();
        m_floatingWindow->setIdentifier(QStringLiteral("floatingIcon"));
        m_floatingWindow->setOnHover([] {});
        m_floatingWindow->setOnClick([this, alive = m_lifetime.watch()] {
            if (alive) {
                handleIconClick();
            }
        });
    }
    return *m_floatingWindow;
}

ResultsPanel& SelectionTracker::getResultsWindow()
{
    if (!m_resultsWindow) {
        m_resultsWindow = m_services.panelFactory.createResultsPanel();
        m_resultsWindow->setIdentifier(QStringLiteral("results"));
        m_resultsWindow->setOnSelect([this, alive = m_lifetime.watch()](const QString& text) {
            if (!alive) {
                return;
            }
            runDetached(useVariation(text));
        });
        // The panel's keys are taken from the application below only while the panel is up.
        m_resultsWindow->setOnVisibilityChanged([this, alive = m_lifetime.watch()](bool onScreen) {
            PanelKeys* keys = Platform::current().panelKeys();
            if (!alive || keys == nullptr) {
                return;
            }
            if (!onScreen) {
                keys->release();
            } else if (!keys->grab([this, alive](const PanelKeyPress& press) {
                           if (alive) {
                               handlePanelKey(press);
                           }
                       })) {
                AppLogger::log(QStringLiteral("⚠️ The panel's keys could not be taken"), kLogFile);
            }
        });
    }
    return *m_resultsWindow;
}

QCoro::Task<> SelectionTracker::useVariation(QString text)
{
    const LifetimeGuard::Watch alive = m_lifetime.watch();
    QCoro::Task<PasteOutcome> pasting =
        m_services.pasteService.pasteIfAnswering(std::move(text), m_selectionSource, answerBudgetMs);
    const PasteOutcome outcome = co_await std::move(pasting);
    if (!alive) {
        co_return;
    }
    switch (outcome) {
    case PasteOutcome::copiedOnly:
        reopenResultsWith(copiedOnlyMessage());
        break;
    case PasteOutcome::targetGone:
        reopenResultsWith(targetGoneMessage());
        break;
    case PasteOutcome::targetNotAnswering:
        reopenResultsWith(targetNotAnsweringMessage());
        break;
    case PasteOutcome::replaced:
    case PasteOutcome::pasted:
    case PasteOutcome::failed:
        break;
    }
}

void SelectionTracker::reopenResultsWith(const QString& message)
{
    // The panel leaves the screen after a choice; it comes back once to say what became of it.
    Platform::current().clock().schedule(0, [this, message, alive = m_lifetime.watch()] {
        if (alive && m_resultsWindow && m_resultsAnchor) {
            m_resultsWindow->showAt(*m_resultsAnchor);
            m_resultsWindow->setContent({}, false, message);
        }
    });
}

void SelectionTracker::handlePanelKey(const PanelKeyPress& press)
{
    if (!m_resultsWindow || !m_resultsWindow->isOnScreen()) {
        return;
    }
    switch (press.kind) {
    case PanelKeyPress::Kind::escape:
        m_resultsWindow->hidePanel();
        break;
    case PanelKeyPress::Kind::tab:
        m_resultsWindow->highlightNextCard();
        break;
    case PanelKeyPress::Kind::enter:
        m_resultsWindow->useHighlightedCard();
        break;
    case PanelKeyPress::Kind::number:
        if (press.shift) {
            m_resultsWindow->copyCard(press.number - 1);
        } else {
            m_resultsWindow->useCard(press.number - 1);
        }
        break;
    }
}

void SelectionTracker::handleIconClick()
{
    if (m_lastCapturedText.isEmpty()) {
        return;
    }
    // The icon calls this 0.15 s after the click, so the panel opens where the pointer is now.
    openResultsAt(Platform::current().mouseMonitor().mouseLocation());
}

void SelectionTracker::openResultsAt(QPointF p)
{
    ResultsPanel& results = getResultsWindow();
    if (m_floatingWindow) {
        m_floatingWindow->hidePanel();
    }
    m_resultsAnchor = p;
    results.showAt(p);
    results.setOriginalText(m_lastCapturedText);
    results.setContent({}, true, std::nullopt);
    runDetached(polish(&results));
}

void SelectionTracker::polishCurrentSelection()
{
    // An explicit request goes ahead even while a selection check runs; that check then leaves
    // its icon unshown.
    if (m_isPolishing) {
        AppLogger::log(QStringLiteral("⏭️ Polish requested while one runs; ignored"), kLogFile);
        return;
    }
    runDetached(polishSelectionNow());
}

QCoro::Task<> SelectionTracker::polishSelectionNow()
{
    const LifetimeGuard::Watch alive = m_lifetime.watch();
    const bool pressesWatched = Platform::current().selectionChangeMonitor() == nullptr;
    QCoro::Task<std::optional<QString>> read = readSelection(0, pressesWatched);
    std::optional<QString> text = co_await std::move(read);
    if (!alive) {
        co_return;
    }
    // The user asked: an application that was too busy to answer in time is asked once more.
    if (!text) {
        QCoro::Task<std::optional<QString>> again = readSelection(requestRetryDelay, pressesWatched);
        text = co_await std::move(again);
        if (!alive) {
            co_return;
        }
    }
    const std::optional<PasteTarget> source = m_lastReadSource;
    std::optional<QPointF> anchor;
    if (!pressesWatched) {
        QCoro::Task<std::optional<QPointF>> placing = settledSelectionAnchor();
        anchor = co_await std::move(placing);
        if (!alive) {
            co_return;
        }
    }
    if (m_isPolishing) {
        co_return;
    }
    const QPointF p = anchor.value_or(Platform::current().mouseMonitor().mouseLocation());
    if (!text) {
        getResultsWindow().showAt(p);
        getResultsWindow().setContent(
            {}, false,
            m_lastRefusal ? QStringLiteral("Quillora does not read this selection: %1.").arg(*m_lastRefusal)
                          : noSelectionMessage());
        co_return;
    }
    captureSelection(*text, source);
    openResultsAt(p);
}

QCoro::Task<> SelectionTracker::polish(ResultsPanel* results)
{
    const LifetimeGuard::Watch alive = m_lifetime.watch();
    setIsPolishing(true);
    const QString text = m_lastCapturedText;
    // The backend refuses such a text with a status alone; said here with the numbers instead.
    if (const qsizetype characters = Graphemes::count(text); characters > maximumSelectionLength) {
        AppLogger::log(QStringLiteral("✋ Selection of %1 characters not sent: over the limit").arg(characters),
                       kLogFile);
        results->setContent({}, false, tooLongMessage(characters));
        setIsPolishing(false);
        co_return;
    }
    std::optional<PolishingOutcome> outcome;
    QString failure;
    try {
        QCoro::Task<PolishingOutcome> request = m_services.polishingService.polishAll(text);
        outcome = co_await std::move(request);
    } catch (...) {
        failure = errorFromException(std::current_exception())->localizedDescription();
    }
    // The panel belongs to the tracker: when the tracker is gone, so is the panel.
    if (!alive) {
        co_return;
    }
    if (outcome) {
        setPolishedResults(outcome->results);
        results->setContent(outcome->results, false, std::nullopt);
        m_services.historyManager.addEntry(text, outcome->results, outcome->model, outcome->duration);
    } else {
        results->setContent({}, false, failure);
    }
    setIsPolishing(false);
}

void SelectionTracker::setCapturedTexts(QStringList texts)
{
    if (texts != m_capturedTexts) {
        m_capturedTexts = std::move(texts);
        Q_EMIT capturedTextsChanged();
    }
}

void SelectionTracker::setLastCapturedText(QString text)
{
    if (text != m_lastCapturedText) {
        m_lastCapturedText = std::move(text);
        Q_EMIT lastCapturedTextChanged();
    }
}

void SelectionTracker::setPolishedResults(QList<PolishedResult> results)
{
    if (results != m_polishedResults) {
        m_polishedResults = std::move(results);
        Q_EMIT polishedResultsChanged();
    }
}

void SelectionTracker::setIsTracking(bool tracking)
{
    if (tracking != m_isTracking) {
        m_isTracking = tracking;
        Q_EMIT isTrackingChanged();
    }
}

void SelectionTracker::setIsPolishing(bool polishing)
{
    if (polishing != m_isPolishing) {
        m_isPolishing = polishing;
        Q_EMIT isPolishingChanged();
    }
}

} // namespace quillora
