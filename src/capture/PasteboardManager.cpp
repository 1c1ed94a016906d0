#include "capture/PasteboardManager.h"

#include "capture/AXManager.h"
#include "capture/CaptureKitError.h"
#include "capture/Log.h"
#include "capture/MainThread.h"
#include "capture/PasteboardExtension.h"
#include "capture/WithTimeout.h"
#include "capture/WorkerThreadTask.h"
#include "core/Clock.h"
#include "keys/KeyPoster.h"
#include "platform/Pasteboard.h"
#include "platform/Platform.h"

namespace quillora {

namespace {

double now()
{
    return Platform::current().clock().monotonicNow();
}

QString describe(std::exception_ptr exception)
{
    return errorFromException(exception)->debugDescription();
}

} // namespace

QString PasteboardManager::rawValue(PasteType type)
{
    return type == PasteType::keyboardShortcut ? QStringLiteral("keyboardShortcut") : QStringLiteral("menuAction");
}

PasteboardManager& PasteboardManager::shared()
{
    static PasteboardManager manager;
    return manager;
}

QCoro::Task<std::optional<QString>> PasteboardManager::fetchPasteboardText(RestorePasteboard restoreOriginal,
                                                                           double restoreInterval,
                                                                           std::function<void()> afterPerform)
{
    // Bodies and triggers are named rather than written inside co_await expressions: GCC 12
    // destroys lambda temporaries of such expressions twice.
    std::function<QCoro::Task<std::optional<QString>>()> body =
        [this, restoreOriginal, restoreInterval, afterPerform]() -> QCoro::Task<std::optional<QString>> {
        Pasteboard& pasteboard = Platform::current().pasteboard();
        // Saving does not write, so the change count noted by the fetch stays valid.
        const QList<PasteboardItem> saved =
            restoreOriginal == RestorePasteboard::Yes ? capture::backupItems(pasteboard) : QList<PasteboardItem>();
        std::optional<QString> result = co_await fetchAfterTrigger(pasteboard, afterPerform);
        if (restoreOriginal == RestorePasteboard::Yes) {
            co_await sleep(restoreInterval);
            capture::restoreItems(pasteboard, saved);
        }
        co_return result;
    };
    co_return co_await MainThread::run<std::optional<QString>>(std::move(body));
}

QCoro::Task<std::optional<QString>> PasteboardManager::getSelectedText(std::function<void()> afterPerform)
{
    return fetchPasteboardText(RestorePasteboard::Yes, 0, std::move(afterPerform));
}

QCoro::Task<std::optional<QString>> PasteboardManager::fetchAfterTrigger(Pasteboard& pasteboard,
                                                                         std::function<void()> trigger)
{
    logInfo(QStringLiteral("Getting next pasteboard content"));
    const qint64 initialChangeCount = pasteboard.changeCount();
    std::optional<QString> result;

    logInfo(QStringLiteral("Executing trigger action"));
    try {
        trigger();
    } catch (...) {
        logError(QStringLiteral("Failed to execute trigger action: ") + describe(std::current_exception()));
        co_return std::nullopt;
    }

    std::function<QCoro::Task<bool>()> hasNewText = [&]() -> QCoro::Task<bool> {
        if (pasteboard.changeCount() == initialChangeCount) {
            co_return false;
        }
        // What a password manager copied is not read: the caller gets empty text.
        if (capture::holdsSecret(pasteboard)) {
            logInfo(QStringLiteral("New pasteboard content is marked secret; not read"));
            result = QString();
            co_return true;
        }
        // The new content is kept even when it holds no text: the caller then gets empty text.
        result = capture::string(pasteboard);
        if (result->isEmpty()) {
            logError(QStringLiteral("Pasteboard changed but no valid text content found"));
            co_return false;
        }
        logInfo(QStringLiteral("New Pasteboard content: ") + privateValue(*result));
        co_return true;
    };
    co_await pollTask(std::move(hasNewText), changePollInterval, changePollLimit);
    co_return result;
}

QCoro::Task<bool> PasteboardManager::pollTask(std::function<QCoro::Task<bool>()> check, double every, double timeout)
{
    const double start = now();
    for (;;) {
        if (!(now() - start < timeout)) {
            logInfo(QStringLiteral("pollTask timeout: %1 seconds").arg(CaptureKitError::formatDuration(timeout)));
            co_return false;
        }
        if (co_await check()) {
            logInfo(QString::asprintf("pollTask succeeded, time taken: %.4f seconds", now() - start));
            co_return true;
        }
        co_await sleep(every);
    }
}

QCoro::Task<> PasteboardManager::pasteText(QString text, RestorePasteboard restorePasteboard, double restoreInterval)
{
    std::function<QCoro::Task<bool>()> body = [this, text, restorePasteboard, restoreInterval]() -> QCoro::Task<bool> {
        if (!co_await paste(PasteType::menuAction, text, restorePasteboard, restoreInterval)) {
            logInfo(QStringLiteral("Falling back to keyboard shortcut paste"));
            co_await paste(PasteType::keyboardShortcut, text, restorePasteboard, restoreInterval);
        }
        co_return true;
    };
    co_await MainThread::run<bool>(std::move(body));
}

void PasteboardManager::pasteText(QString text, RestorePasteboard restorePasteboard, double restoreInterval,
                                  std::function<void()> completion)
{
    WorkerThreadTask::launch([this, text, restorePasteboard, restoreInterval, completion]() -> QCoro::Task<> {
        co_await pasteText(text, restorePasteboard, restoreInterval);
        completion();
    });
}

QCoro::Task<bool> PasteboardManager::paste(PasteType type, QString text, RestorePasteboard restorePasteboard,
                                           double restoreInterval)
{
    logInfo(QStringLiteral("Starting to paste text by ") + rawValue(type));
    Pasteboard& pasteboard = Platform::current().pasteboard();
    const QList<PasteboardItem> saved =
        restorePasteboard == RestorePasteboard::Yes ? capture::backupItems(pasteboard) : QList<PasteboardItem>();
    const double start = now();

    std::function<void()> writeText = [&pasteboard, text] {
        // Empty text leaves the pasteboard alone, so the wait runs out and nothing is pasted.
        if (!text.isEmpty()) {
            capture::setString(pasteboard, text);
        }
    };
    const std::optional<QString> copied = co_await fetchAfterTrigger(pasteboard, std::move(writeText));
    logInfo(QString::asprintf("Time taken to copy text to pasteboard: %.4f seconds", now() - start));

    bool pasted = false;
    if (copied && !copied->isEmpty()) {
        if (type == PasteType::keyboardShortcut) {
            // A modifier the user still holds would join the paste keys.
            QCoro::Task<> released = KeyPoster::modifiersReleased();
            co_await std::move(released);
        }
        pasted = performPasteAction(type, *copied);
    } else {
        logError(QStringLiteral("Failed to copy text to pasteboard"));
    }

    if (restorePasteboard == RestorePasteboard::Yes && !saved.isEmpty()) {
        co_await sleep(restoreInterval);
        capture::restoreItems(pasteboard, saved);
    }
    co_return pasted;
}

bool PasteboardManager::performPasteAction(PasteType type, const QString& content)
{
    if (type == PasteType::keyboardShortcut) {
        KeyPoster::paste();
        logInfo(QStringLiteral("Pasted text via keyboard shortcut: ") + privateValue(content));
        return true;
    }
    try {
        AXManager::shared()
            .findMenuItem(SystemMenuItem::paste, RequireEnabled::Yes)
            .performAction(QStringLiteral("AXPress"));
    } catch (...) {
        logError(QStringLiteral("Failed to paste via menu action: ") + describe(std::current_exception()));
        return false;
    }
    logInfo(QStringLiteral("Pasted text via menu action: ") + privateValue(content));
    return true;
}

} // namespace quillora
