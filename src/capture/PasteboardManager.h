#pragma once

#include <QString>

#include <qcoro/qcorotask.h>

#include <functional>
#include <optional>

namespace quillora {

class Pasteboard;

/** Whether the user's pasteboard is saved before the work and written back after it. */
enum class RestorePasteboard { No, Yes };

/**
 * Reads text through the pasteboard and pastes text into the frontmost application, keeping the
 * user's pasteboard intact. A read runs a trigger (pressing a Copy menu item, sending the copy
 * shortcut) and watches the pasteboard for new text; a paste puts the text on the pasteboard and
 * presses the application's Paste menu item, falling back to the paste shortcut. Every operation
 * runs on the main thread (callers elsewhere hop there and back) and none throws. Overlapping
 * operations would interfere through the one pasteboard; callers run one at a time.
 */
class PasteboardManager final
{
public:
    enum class PasteType { keyboardShortcut, menuAction };

    /** "keyboardShortcut" or "menuAction". */
    [[nodiscard]] static QString rawValue(PasteType type);

    /** How long a read waits for the pasteboard to change after its trigger, in seconds. */
    static constexpr double changePollLimit = 0.4;
    /** The pause between two looks at the pasteboard, in seconds. */
    static constexpr double changePollInterval = 0.005;

    PasteboardManager() = default;
    PasteboardManager(const PasteboardManager&) = delete;
    PasteboardManager& operator=(const PasteboardManager&) = delete;

    /** The process-wide instance, made on first use. */
    static PasteboardManager& shared();

    /**
     * Runs `afterPerform` and waits up to 0.4 s for the pasteboard to change. Returns the new
     * plain text; empty text when the pasteboard changed but held no text; none when it did not
     * change or the trigger threw. With `RestorePasteboard::Yes` the pasteboard is saved first and,
     * `restoreInterval` seconds after the wait, written back whatever the outcome. Never throws.
     */
    QCoro::Task<std::optional<QString>> fetchPasteboardText(RestorePasteboard restoreOriginal, double restoreInterval,
                                                            std::function<void()> afterPerform);

    /** `fetchPasteboardText` with the pasteboard restored at once. */
    QCoro::Task<std::optional<QString>> getSelectedText(std::function<void()> afterPerform);

    /**
     * Runs `check` every `every` seconds until it reports true (returns true) or `timeout` seconds
     * have passed (returns false). Logs the outcome. Never throws unless `check` does.
     */
    QCoro::Task<bool> pollTask(std::function<QCoro::Task<bool>()> check, double every, double timeout);

    /**
     * Pastes `text` into the frontmost application: puts it on the pasteboard and presses the
     * enabled Paste menu item; when that fails, does it again with the paste shortcut. Empty text
     * never reaches the pasteboard, so nothing is pasted. With `RestorePasteboard::Yes` each attempt
     * writes the user's pasteboard back `restoreInterval` seconds after it. Never throws.
     */
    QCoro::Task<> pasteText(QString text, RestorePasteboard restorePasteboard, double restoreInterval);

    /**
     * Callback entry of `pasteText`: runs the paste on a worker thread of its own and returns at
     * once; `completion` is called exactly once, on that worker thread, when the paste has ended.
     */
    void pasteText(QString text, RestorePasteboard restorePasteboard, double restoreInterval,
                   std::function<void()> completion);

private:
    QCoro::Task<std::optional<QString>> fetchAfterTrigger(Pasteboard& pasteboard, std::function<void()> trigger);
    QCoro::Task<bool> paste(PasteType type, QString text, RestorePasteboard restorePasteboard, double restoreInterval);
    bool performPasteAction(PasteType type, const QString& content);
};

} // namespace quillora
