#pragma once

#include "capture/TextStrategy.h"
#include "core/ErrorRecord.h"

#include <QList>
#include <QString>

#include <qcoro/qcorotask.h>

#include <functional>
#include <optional>

namespace quillora {

class AXManager;
class AppleScriptManager;
class PasteboardManager;

/**
 * Receives the outcome of a callback entry exactly once: (text, none) for a text, (none, none) for
 * no text, (none, error record) for an error.
 */
using TextCompletion = std::function<void(std::optional<QString> text, std::optional<ErrorRecord> error)>;

/**
 * Answers what text the user has selected in the frontmost application, by one strategy or by a
 * list of strategies tried in order. It holds no state of its own: every call starts from nothing.
 */
class SelectedTextManager final
{
public:
    SelectedTextManager(AXManager& axManager, PasteboardManager& pasteboardManager,
                        AppleScriptManager& appleScriptManager);
    SelectedTextManager(const SelectedTextManager&) = delete;
    SelectedTextManager& operator=(const SelectedTextManager&) = delete;

    /** The process-wide instance over the shared managers, made on first use. */
    static SelectedTextManager& shared();

    /**
     * Runs exactly one strategy. `bundleID` matters only to the browser strategy. Returns the text
     * (possibly empty for the accessibility strategy) or none. Throws the strategy's errors
     * unchanged: `AXError` codes (APIDisabled when not trusted, NoValue when nothing is focused or
     * selected, `noMenuItem`, `disabledMenuItem`, CannotComplete from the shortcut strategy when the
     * frontmost application has just let an accessibility call time out: no key is sent to it),
     * `CaptureKitError` (`unsupportedBrowser`, script failures) and `TimeoutError`.
     */
    QCoro::Task<std::optional<QString>> getSelectedText(TextStrategy strategy,
                                                        std::optional<QString> bundleID = std::nullopt);

    /**
     * Tries `strategies` in order, without bundle identifier, until one gives non-empty text, and
     * returns it; none when the list is empty or nothing gave text and no strategy failed. Throws
     * `accessibilityPermissionDenied` at once when a strategy raises it; otherwise, after the last
     * strategy, throws the last failure (a foreign error wrapped as `systemError`).
     */
    QCoro::Task<std::optional<QString>> getSelectedText(QList<TextStrategy> strategies);

    /**
     * Callback entry: runs the strategy with raw value `strategy` on a worker thread of its own and
     * returns at once; `completion` is called exactly once, on that worker thread, when the
     * strategy ends. A raw value outside 0 to 4 completes with an `invalidInput` error record.
     */
    void getSelectedTextWithStrategy(int strategy, std::optional<QString> bundleID, TextCompletion completion);

    [[nodiscard]] AXManager& axManager() const { return m_axManager; }
    [[nodiscard]] PasteboardManager& pasteboardManager() const { return m_pasteboardManager; }
    [[nodiscard]] AppleScriptManager& appleScriptManager() const { return m_appleScriptManager; }

private:
    QCoro::Task<std::optional<QString>> getSelectedTextAuto();
    QCoro::Task<std::optional<QString>> getSelectedTextByMenuAction();
    QCoro::Task<std::optional<QString>> getSelectedTextByShortcut();
    QCoro::Task<std::optional<QString>> getSelectedTextByAppleScript(std::optional<QString> bundleID);

    AXManager& m_axManager;
    PasteboardManager& m_pasteboardManager;
    AppleScriptManager& m_appleScriptManager;
};

/**
 * Callback entry of `AXManager::getSelectedTextByAX`: reads the focused element's selected text on
 * a worker thread of its own and returns at once; `completion` is called exactly once, there.
 */
void getSelectedTextByAX(AXManager& manager, TextCompletion completion);

} // namespace quillora
