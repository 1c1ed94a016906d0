#include "capture/SelectedTextManager.h"

#include "ax/AXError.h"
#include "ax/UIElement.h"
#include "capture/AXManager.h"
#include "capture/AppleScriptManager.h"
#include "capture/CaptureKitError.h"
#include "capture/Log.h"
#include "capture/MainThread.h"
#include "capture/PasteboardManager.h"
#include "capture/WorkerThreadTask.h"
#include "keys/KeyPoster.h"
#include "platform/Accessibility.h"
#include "platform/Platform.h"
#include "platform/Workspace.h"

#include <QStringList>

namespace quillora {

namespace {

using Text = std::optional<QString>;

// The accessibility code of an error, as the automatic order tells the menu-copy failures apart.
const AXError* asAXError(const ErrorPtr& error)
{
    return dynamic_cast<const AXError*>(error.get());
}

// Awaits a read and hands its outcome to the completion, exactly once.
QCoro::Task<> complete(std::function<QCoro::Task<Text>()> read, TextCompletion completion)
{
    Text text;
    ErrorPtr failure;
    try {
        text = co_await read();
    } catch (...) {
        failure = errorFromException(std::current_exception());
    }
    if (failure) {
        completion(std::nullopt, failure->toRecord());
    } else {
        completion(text, std::nullopt);
    }
}

} // namespace

SelectedTextManager::SelectedTextManager(AXManager& axManager, PasteboardManager& pasteboardManager,
                                         AppleScriptManager& appleScriptManager)
    : m_axManager(axManager)
    , m_pasteboardManager(pasteboardManager)
    , m_appleScriptManager(appleScriptManager)
{
}

SelectedTextManager& SelectedTextManager::shared()
{
    static SelectedTextManager manager(AXManager::shared(), PasteboardManager::shared(), AppleScriptManager::shared());
    return manager;
}

QCoro::Task<Text> SelectedTextManager::getSelectedText(TextStrategy strategy, std::optional<QString> bundleID)
{
    logInfo(QStringLiteral("Attempting to get selected text using strategy: ") + description(strategy));
    switch (strategy) {
    case TextStrategy::auto_:
        co_return co_await getSelectedTextAuto();
    case TextStrategy::accessibility:
        co_return co_await m_axManager.getSelectedTextByAX();
    case TextStrategy::appleScript:
        co_return co_await getSelectedTextByAppleScript(std::move(bundleID));
    case TextStrategy::menuAction:
        co_return co_await getSelectedTextByMenuAction();
    case TextStrategy::shortcut:
        co_return co_await getSelectedTextByShortcut();
    }
    co_return std::nullopt;
}

QCoro::Task<Text> SelectedTextManager::getSelectedText(QList<TextStrategy> strategies)
{
    QStringList names;
    for (TextStrategy strategy : strategies) {
        names << description(strategy);
    }
    logInfo(
        QStringLiteral("Attempting to get selected text using strategies: [%1]").arg(names.join(QStringLiteral(", "))));

    std::optional<CaptureKitError> lastError;
    for (TextStrategy strategy : strategies) {
        const QString name = description(strategy);
        Text text;
        ErrorPtr failure;
        try {
            text = co_await getSelectedText(strategy);
        } catch (...) {
            failure = errorFromException(std::current_exception());
        }
        if (const auto* toolkitError = dynamic_cast<const CaptureKitError*>(failure.get())) {
            logError(QStringLiteral("Failed to get text via %1: ").arg(name) + toolkitError->errorDescription());
            lastError = *toolkitError;
            if (toolkitError->as<CaptureKitError::AccessibilityPermissionDenied>() != nullptr) {
                throw *toolkitError;
            }
            continue;
        }
        if (failure) {
            logError(QStringLiteral("Failed to get text via %1: ").arg(name) + failure->debugDescription());
            lastError = CaptureKitError::system(failure);
            continue;
        }
        if (text && !text->isEmpty()) {
            logInfo(QStringLiteral("Successfully got non-empty text via ") + name);
            co_return text;
        }
        if (text) {
            logInfo(QStringLiteral("%1 returned empty text, trying next strategy").arg(name));
        }
    }
    logError(QStringLiteral("All strategies failed to get selected text"));
    if (lastError) {
        throw *lastError;
    }
    co_return std::nullopt;
}

void SelectedTextManager::getSelectedTextWithStrategy(int strategy, std::optional<QString> bundleID,
                                                      TextCompletion completion)
{
    WorkerThreadTask::launch([this, strategy, bundleID, completion]() -> QCoro::Task<> {
        const std::optional<TextStrategy> known = textStrategyFromRaw(strategy);
        if (!known) {
            completion(std::nullopt, CaptureKitError::invalidParameter(
                                         QStringLiteral("strategy"),
                                         QStringLiteral("%1 is not a text strategy (0 to 4)").arg(strategy))
                                         .asNSError());
            co_return;
        }
        std::function<QCoro::Task<Text>()> read = [this, known, bundleID] { return getSelectedText(*known, bundleID); };
        co_await complete(std::move(read), completion);
    });
}

void getSelectedTextByAX(AXManager& manager, TextCompletion completion)
{
    WorkerThreadTask::launch([&manager, completion]() -> QCoro::Task<> {
        std::function<QCoro::Task<Text>()> read = [&manager]() -> QCoro::Task<Text> {
            co_return co_await manager.getSelectedTextByAX();
        };
        co_await complete(std::move(read), completion);
    });
}

QCoro::Task<Text> SelectedTextManager::getSelectedTextAuto()
{
    logInfo(QStringLiteral("Using auto strategy for getting selected text"));
    // Errors of the accessibility read end the call: there is no fall-back on them.
    const QString accessibilityText = co_await m_axManager.getSelectedTextByAX();
    if (!accessibilityText.isEmpty()) {
        logInfo(QStringLiteral("Successfully got non-empty text via Accessibility"));
        co_return accessibilityText;
    }
    logInfo(QStringLiteral("Accessibility returned empty text"));

    Text menuText;
    std::exception_ptr thrown;
    try {
        menuText = co_await getSelectedTextByMenuAction();
    } catch (...) {
        thrown = std::current_exception();
    }
    if (thrown) {
        const ErrorPtr failure = errorFromException(thrown);
        logError(QStringLiteral("Failed to get text via menu action copy: ") + failure->debugDescription());
        const AXError* code = asAXError(failure);
        if (code != nullptr && code->code() == AXResult::APIDisabled) {
            logInfo(QStringLiteral("Accessibility API is disabled, returning nil"));
            co_return std::nullopt;
        }
        if (code != nullptr && code->code() == AXError::noMenuItem) {
            logInfo(QStringLiteral("Menu action copy not available, falling back to shortcut copy"));
            co_return co_await getSelectedTextByShortcut();
        }
        if (code != nullptr && code->code() == AXError::disabledMenuItem) {
            logInfo(QStringLiteral("Menu action copy is disabled, maybe no text selected, returning nil"));
            co_return std::nullopt;
        }
        std::rethrow_exception(thrown);
    }
    if (menuText && !menuText->isEmpty()) {
        logInfo(QStringLiteral("Successfully got non-empty text via menu action copy"));
        co_return menuText;
    }
    if (menuText) {
        logInfo(QStringLiteral("Menu action copy returned empty text"));
    }
    logError(QStringLiteral("All auto strategy methods failed or returned empty text"));
    co_return std::nullopt;
}

QCoro::Task<Text> SelectedTextManager::getSelectedTextByMenuAction()
{
    // The menu search and the pasteboard work belong to the main thread.
    // Bodies and triggers are named rather than written inside co_await expressions: GCC 12
    // destroys lambda temporaries of such expressions twice.
    std::function<QCoro::Task<Text>()> body = [this]() -> QCoro::Task<Text> {
        logInfo(QStringLiteral("Getting selected text by menu bar action copy"));
        const UIElement copyItem = m_axManager.findMenuItem(SystemMenuItem::copy, RequireEnabled::Yes);
        std::function<void()> pressCopy = [copyItem] { copyItem.performAction(QStringLiteral("AXPress")); };
        co_return co_await m_pasteboardManager.fetchPasteboardText(RestorePasteboard::Yes, 0, std::move(pressCopy));
    };
    co_return co_await MainThread::run<Text>(std::move(body));
}

QCoro::Task<Text> SelectedTextManager::getSelectedTextByShortcut()
{
    logInfo(QStringLiteral("Getting selected text by shortcut copy"));
    if (!checkIsProcessTrusted(TrustPrompt::Prompt)) {
        logError(QStringLiteral("Process is not trusted for accessibility"));
        throw AXError(AXResult::APIDisabled);
    }
    // An application that has just let an accessibility call run out of time is hung or busy: it
    // would run the copy when it resumes, after the pasteboard was restored, and overwrite it.
    if (const std::optional<RunningApplication> front = Platform::current().workspace().frontmostApplication();
        front && Platform::current().accessibility().hasJustTimedOut(front->pid)) {
        logError(QStringLiteral("The frontmost application did not answer in time; no copy shortcut sent"));
        throw AXError(AXResult::CannotComplete);
    }
    std::function<QCoro::Task<Text>()> copyByShortcut = [this]() -> QCoro::Task<Text> {
        // A modifier the user still holds would join the copy keys.
        QCoro::Task<> released = KeyPoster::modifiersReleased();
        co_await std::move(released);
        QCoro::Task<Text> fetch =
            m_pasteboardManager.fetchPasteboardText(RestorePasteboard::Yes, 0, [] { KeyPoster::copy(); });
        co_return co_await std::move(fetch);
    };
    co_return co_await m_appleScriptManager.withMutedAlertVolume<Text>(std::move(copyByShortcut));
}

QCoro::Task<Text> SelectedTextManager::getSelectedTextByAppleScript(std::optional<QString> bundleID)
{
    const std::optional<RunningApplication> front = Platform::current().workspace().frontmostApplication();
    const QString browser = bundleID.value_or(front ? front->bundleIdentifier.value_or(QString()) : QString());
    logInfo(QStringLiteral("Getting selected text by AppleScript from browser: ") + browser);
    if (!AppleScriptManager::isBrowserSupportingAppleScript(browser)) {
        throw CaptureKitError::browserNotSupported(browser);
    }
    co_return co_await m_appleScriptManager.executeBrowserAction(BrowserAction::getSelectedText(), browser);
}

} // namespace quillora
