#include "capture/AppleScriptManager.h"

#include "capture/CaptureKitError.h"
#include "capture/Log.h"
#include "capture/MainThread.h"
#include "capture/WithTimeout.h"
#include "core/AsyncEvent.h"
#include "core/Detached.h"
#include "platform/Platform.h"
#include "platform/ScriptRunner.h"

#include <QMetaType>
#include <QRegularExpression>
#include <QThreadPool>

namespace quillora {

namespace {

QString describe(std::exception_ptr exception)
{
    return errorFromException(exception)->debugDescription();
}

// Scripts block until they end, so each runs on a pool of its own; it grows past the core count
// so that a hung script does not hold up the others. The pool lives for the process.
QThreadPool& scriptPool()
{
    static QThreadPool* const pool = [] {
        auto* created = new QThreadPool;
        created->setMaxThreadCount(8);
        return created;
    }();
    return *pool;
}

// Makes and runs one script on the calling (worker) thread and maps its answer.
std::optional<QString> executeScript(ScriptRunner& runner, const QString& source)
{
    const std::unique_ptr<Script> script = runner.createScript(source);
    if (!script) {
        return std::nullopt;
    }
    const ScriptResult result = script->execute();
    if (result.errorInfo) {
        const QVariant number = result.errorInfo->value(QString::fromLatin1(kScriptErrorNumberKey));
        const QVariant message = result.errorInfo->value(QString::fromLatin1(kScriptErrorMessageKey));
        const bool isInteger = number.typeId() == QMetaType::Int || number.typeId() == QMetaType::LongLong;
        throw CaptureKitError(CaptureKitError::AppleScriptExecution{
            source, isInteger ? number.toLongLong() : -1,
            message.typeId() == QMetaType::QString ? message.toString() : QStringLiteral("Unknown AppleScript error")});
    }
    if (!result.stringValue) {
        return std::nullopt;
    }
    return result.stringValue->trimmed();
}

// Hands the script to the pool and waits for its single answer.
QCoro::Task<std::optional<QString>> executeOnWorker(ScriptRunner& runner, QString source)
{
    struct Answer
    {
        std::optional<QString> output;
        std::exception_ptr error;
        AsyncEvent done;
    };
    auto answer = std::make_shared<Answer>();
    scriptPool().start([answer, &runner, source] {
        try {
            answer->output = executeScript(runner, source);
        } catch (...) {
            answer->error = std::current_exception();
        }
        answer->done.set();
    });
    co_await answer->done.wait();
    if (answer->error) {
        std::rethrow_exception(answer->error);
    }
    co_return answer->output;
}

std::optional<int> parseInteger(const std::optional<QString>& text)
{
    static const QRegularExpression integer(QStringLiteral("^[+-]?[0-9]+$"));
    if (!text || !integer.match(*text).hasMatch()) {
        return std::nullopt;
    }
    bool ok = false;
    const int value = text->toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

} // namespace

AppleScriptManager& AppleScriptManager::shared()
{
    static AppleScriptManager manager;
    return manager;
}

QCoro::Task<std::optional<QString>> AppleScriptManager::runAppleScript(QString script, double timeout)
{
    ScriptRunner& runner = Platform::current().scriptRunner();
    // The operation is named rather than written inside the co_await expression: GCC 12 destroys
    // lambda temporaries of such expressions twice.
    std::function<QCoro::Task<std::optional<QString>>(CancellationToken)> operation =
        [&runner, script](CancellationToken) { return executeOnWorker(runner, script); };
    co_return co_await withTimeout<std::optional<QString>>(timeout, std::move(operation));
}

QCoro::Task<std::optional<QString>> AppleScriptManager::runAppleScript(ScriptInfo info)
{
    std::optional<QString> output;
    try {
        output = co_await runAppleScript(info.script, info.timeout);
    } catch (...) {
        logInfo(QStringLiteral("Failed to execute script '%1': %2")
                    .arg(info.name, privateValue(describe(std::current_exception()))));
        throw;
    }
    logInfo(QStringLiteral("Executed script '%1': %2")
                .arg(info.name, output ? privateValue(*output) : QStringLiteral("no output")));
    co_return output;
}

QCoro::Task<std::optional<QString>> AppleScriptManager::executeBrowserAction(BrowserAction action,
                                                                             SupportedBrowser browser)
{
    return runAppleScript(action.generateScriptInfo(browser));
}

QCoro::Task<std::optional<QString>> AppleScriptManager::executeBrowserAction(BrowserAction action, QString bundleID)
{
    const std::optional<SupportedBrowser> browser = supportedBrowserFrom(bundleID);
    if (!browser) {
        throw CaptureKitError::browserNotSupported(bundleID);
    }
    co_return co_await executeBrowserAction(std::move(action), *browser);
}

QCoro::Task<std::optional<QString>> AppleScriptManager::getSelectedTextFromBrowser(QString bundleID)
{
    return executeBrowserAction(BrowserAction::getSelectedText(), std::move(bundleID));
}

QCoro::Task<std::optional<QString>> AppleScriptManager::getCurrentTabURLFromBrowser(QString bundleID)
{
    return executeBrowserAction(BrowserAction::getCurrentTabURL(), std::move(bundleID));
}

QCoro::Task<bool> AppleScriptManager::insertTextInBrowser(QString text, QString bundleID)
{
    try {
        const std::optional<QString> output =
            co_await executeBrowserAction(BrowserAction::insertText(std::move(text)), std::move(bundleID));
        co_return textBoolValue(output.value_or(QString()));
    } catch (...) {
        logInfo(QStringLiteral("Failed to insert text in browser: ") +
                privateValue(describe(std::current_exception())));
    }
    co_return false;
}

QCoro::Task<bool> AppleScriptManager::selectAllInputTextInBrowser(QString bundleID)
{
    try {
        const std::optional<QString> output =
            co_await executeBrowserAction(BrowserAction::selectAllInputText(), std::move(bundleID));
        co_return textBoolValue(output.value_or(QString()));
    } catch (...) {
        logInfo(QStringLiteral("Failed to select all text in browser: ") +
                privateValue(describe(std::current_exception())));
    }
    co_return false;
}

bool AppleScriptManager::isBrowserSupportingAppleScript(const QString& bundleID)
{
    return isSupportedBrowser(bundleID);
}

bool AppleScriptManager::isSafari(const QString& bundleID)
{
    return bundleID == rawValue(SupportedBrowser::safari);
}

bool AppleScriptManager::isChromeKernelBrowser(const QString& bundleID)
{
    return bundleID == rawValue(SupportedBrowser::chrome) || bundleID == rawValue(SupportedBrowser::edge);
}

QCoro::Task<int> AppleScriptManager::muteAlertVolume()
{
    const std::optional<QString> output = co_await runAppleScript(muteScript(), systemScriptTimeout);
    const std::optional<int> previous = parseInteger(output);
    if (!previous) {
        throw CaptureKitError(
            CaptureKitError::AppleScriptExecution{muteScript(), 1, QStringLiteral("Failed to parse original volume")});
    }
    co_return *previous;
}

QCoro::Task<std::optional<int>> AppleScriptManager::getCurrentAlertVolume()
{
    const std::optional<QString> output = co_await runAppleScript(readVolumeScript(), systemScriptTimeout);
    co_return parseInteger(output);
}

QCoro::Task<> AppleScriptManager::setAlertVolume(int volume)
{
    co_await runAppleScript(setVolumeScript(volume), systemScriptTimeout);
}

QString AppleScriptManager::muteScript()
{
    return QStringLiteral("tell application \"System Events\"\n    set originalVolume to alert volume of (get volume "
                          "settings)\nset volume alert volume 0\nreturn originalVolume\nend tell");
}

QString AppleScriptManager::readVolumeScript()
{
    return QStringLiteral(
        "tell application \"System Events\"\n    get alert volume of (get volume settings)\nend tell");
}

QString AppleScriptManager::setVolumeScript(int volume)
{
    return QStringLiteral("tell application \"System Events\"\n    ") + QStringLiteral("set volume alert volume ") +
           QString::number(volume) + QStringLiteral("\nend tell");
}

bool AppleScriptManager::textBoolValue(const QString& text)
{
    qsizetype index = 0;
    while (index < text.size() && text.at(index).isSpace()) {
        ++index;
    }
    if (index < text.size() && (text.at(index) == u'+' || text.at(index) == u'-')) {
        ++index;
    }
    while (index < text.size() && text.at(index) == u'0') {
        ++index;
    }
    if (index == text.size()) {
        return false;
    }
    const QChar first = text.at(index);
    return first == u'Y' || first == u'y' || first == u'T' || first == u't' || (first >= u'1' && first <= u'9');
}

QCoro::Task<std::optional<int>> AppleScriptManager::muteForOperation()
{
    // Without a script interface the volume cannot be read or set, and nothing needs restoring.
    if (!Platform::current().scriptRunner().isAvailable()) {
        co_return std::nullopt;
    }
    logInfo(QStringLiteral("Attempting to mute alert volume for operation"));
    std::optional<int> previous;
    try {
        previous = co_await muteAlertVolume();
    } catch (...) {
        logError(QStringLiteral("Failed to mute alert volume: %1, continuing with operation")
                     .arg(describe(std::current_exception())));
        co_return std::nullopt;
    }
    logInfo(QStringLiteral("Successfully muted alert volume, original: %1").arg(*previous));
    co_return previous;
}

void AppleScriptManager::operationEnded(std::optional<int> previousVolume, std::exception_ptr error)
{
    if (error) {
        logError(QStringLiteral("Operation failed: ") + describe(error));
    } else {
        logInfo(QStringLiteral("Operation completed successfully"));
    }
    // A volume of 0 was already silent: there is nothing to restore.
    if (previousVolume && *previousVolume >= 1) {
        scheduleRestore(*previousVolume, error ? 0.0 : 1.0);
    }
}

void AppleScriptManager::scheduleRestore(int volume, double delay)
{
    // The restore outlives the operation's task, and that task may run on a worker thread that
    // ends with it; the main thread's loop lives on, so the restore runs there.
    MainThread::post([this, volume, delay] { runDetached(restoreAlertVolume(volume, delay)); });
}

QCoro::Task<> AppleScriptManager::restoreAlertVolume(int volume, double delay)
{
    if (delay > 0) {
        co_await sleep(delay);
    }
    try {
        co_await setAlertVolume(volume);
    } catch (...) {
        logError(QStringLiteral("Failed to restore alert volume to %1: ").arg(volume) +
                 describe(std::current_exception()));
        co_return;
    }
    logInfo(QStringLiteral("Alert volume restored to %1").arg(volume));
}

} // namespace quillora
