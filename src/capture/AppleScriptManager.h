#pragma once

#include "capture/BrowserAction.h"
#include "capture/ScriptInfo.h"
#include "capture/SupportedBrowser.h"

#include <QString>

#include <qcoro/qcorotask.h>

#include <exception>
#include <functional>
#include <optional>

namespace quillora {

/**
 * Runs scripts through the desktop's script interface: JavaScript in a supported browser's current
 * page, and the system alert volume, which the shortcut copy mutes so that a copy with nothing
 * selected makes no sound. A script run blocks, so it runs on a worker thread while the calling
 * task waits; several runs may be in flight at once. Stateless apart from volume restores in
 * flight, which run on the main thread's loop.
 */
class AppleScriptManager final
{
public:
    /** Each alert-volume script may take this long, in seconds. */
    static constexpr double systemScriptTimeout = 2.0;

    AppleScriptManager() = default;
    AppleScriptManager(const AppleScriptManager&) = delete;
    AppleScriptManager& operator=(const AppleScriptManager&) = delete;

    /** The process-wide instance, made on first use. */
    static AppleScriptManager& shared();

    /**
     * Runs `script` with a time limit of `timeout` seconds and returns its result as text, trimmed
     * of white space and line breaks at both ends; none when the script cannot be made or its
     * result has no text. Throws `CaptureKitError` `appleScriptExecution` (with the error number,
     * or -1, and the message, or "Unknown AppleScript error") when the script reports an error, and
     * `TimeoutError` when the limit passes first, which is only once the run has ended since a
     * running script cannot be interrupted.
     */
    QCoro::Task<std::optional<QString>> runAppleScript(QString script, double timeout);

    /** Runs `info.script` with `info.timeout`, logging the outcome under `info.name`. Errors as above. */
    QCoro::Task<std::optional<QString>> runAppleScript(ScriptInfo info);

    /** Runs `action` in `browser`. Errors as for `runAppleScript`. */
    QCoro::Task<std::optional<QString>> executeBrowserAction(BrowserAction action, SupportedBrowser browser);

    /** Runs `action` in the browser `bundleID`; throws `unsupportedBrowser` for any other application. */
    QCoro::Task<std::optional<QString>> executeBrowserAction(BrowserAction action, QString bundleID);

    /** The browser page's selected text. Errors as for `executeBrowserAction`. */
    QCoro::Task<std::optional<QString>> getSelectedTextFromBrowser(QString bundleID);

    /** The browser's current page address. Errors as for `executeBrowserAction`. */
    QCoro::Task<std::optional<QString>> getCurrentTabURLFromBrowser(QString bundleID);

    /** Inserts `text` at the browser's cursor; the script's answer read as a boolean. Never throws. */
    QCoro::Task<bool> insertTextInBrowser(QString text, QString bundleID);

    /** Selects all text of the browser's focused field; the script's answer as a boolean. Never throws. */
    QCoro::Task<bool> selectAllInputTextInBrowser(QString bundleID);

    [[nodiscard]] static bool isBrowserSupportingAppleScript(const QString& bundleID);
    [[nodiscard]] static bool isSafari(const QString& bundleID);
    [[nodiscard]] static bool isChromeKernelBrowser(const QString& bundleID);

    /**
     * Runs `operation` with the system alert volume set to 0 and returns its result or rethrows its
     * error. The volume is restored afterwards without waiting for it: 1 s after a success, at once
     * after a failure, never when it was 0 already. A volume that cannot be muted is logged and the
     * operation runs anyway.
     */
    template <typename T> QCoro::Task<T> withMutedAlertVolume(std::function<QCoro::Task<T>()> operation);

    /**
     * Mutes the alert volume and returns the volume it had. Throws the script's errors, and
     * `appleScriptExecution` "Failed to parse original volume" when the answer is not an integer.
     */
    QCoro::Task<int> muteAlertVolume();

    /** The alert volume, or none when the answer is not an integer. Throws the script's errors. */
    QCoro::Task<std::optional<int>> getCurrentAlertVolume();

    /** Sets the alert volume. Throws the script's errors. */
    QCoro::Task<> setAlertVolume(int volume);

    /** The mute-and-report, read and set scripts, exactly as they are run. */
    [[nodiscard]] static QString muteScript();
    [[nodiscard]] static QString readVolumeScript();
    [[nodiscard]] static QString setVolumeScript(int volume);

    /** Reads text as a boolean the platform's way: a leading Y, y, T, t or non-zero digit means true. */
    [[nodiscard]] static bool textBoolValue(const QString& text);

private:
    QCoro::Task<std::optional<int>> muteForOperation();
    void operationEnded(std::optional<int> previousVolume, std::exception_ptr error);
    void scheduleRestore(int volume, double delay);
    QCoro::Task<> restoreAlertVolume(int volume, double delay);
};

template <typename T> QCoro::Task<T> AppleScriptManager::withMutedAlertVolume(std::function<QCoro::Task<T>()> operation)
{
    const std::optional<int> previousVolume = co_await muteForOperation();
    std::optional<T> result;
    std::exception_ptr error;
    try {
        result.emplace(co_await operation());
    } catch (...) {
        error = std::current_exception();
    }
    operationEnded(previousVolume, error);
    if (error) {
        std::rethrow_exception(error);
    }
    co_return std::move(*result);
}

} // namespace quillora
