#include "capture/PasteboardExtension.h"

#include "capture/Log.h"
#include "capture/MainThread.h"
#include "capture/WithTimeout.h"

namespace quillora::capture {

QList<PasteboardItem> backupItems(const Pasteboard& pasteboard)
{
    QList<PasteboardItem> saved;
    for (const PasteboardItem& item : pasteboard.items()) {
        PasteboardItem copy;
        for (const auto& [type, data] : item.entries) {
            if (data) {
                copy.entries.append({type, data});
            }
        }
        saved.append(copy);
    }
    return saved;
}

bool restoreItems(Pasteboard& pasteboard, const QList<PasteboardItem>& items)
{
    if (items.isEmpty()) {
        logInfo(QStringLiteral("No pasteboard items to restore"));
        return false;
    }
    pasteboard.clearContents();
    if (!pasteboard.writeItems(items)) {
        logError(QStringLiteral("Failed to restore pasteboard items"));
        return false;
    }
    return true;
}

bool holdsSecret(const Pasteboard& pasteboard)
{
    const std::optional<QByteArray> hint = pasteboard.dataForType(QLatin1String(kPasswordManagerHintType));
    return hint && hint->trimmed() == "secret";
}

QString string(const Pasteboard& pasteboard)
{
    return pasteboard.string().value_or(QString());
}

bool setString(Pasteboard& pasteboard, const QString& text)
{
    pasteboard.clearContents();
    return pasteboard.setString(text);
}

QCoro::Task<> performTemporaryTask(Pasteboard& pasteboard, double restoreInterval, std::function<QCoro::Task<>()> task)
{
    // The body is named, not a temporary of the co_await expression: GCC 12 destroys lambda
    // temporaries of such expressions twice.
    std::function<QCoro::Task<bool>()> body = [&pasteboard, restoreInterval, task]() -> QCoro::Task<bool> {
        const QList<PasteboardItem> saved = backupItems(pasteboard);
        std::exception_ptr error;
        try {
            co_await task();
        } catch (...) {
            error = std::current_exception();
        }
        co_await sleep(restoreInterval);
        restoreItems(pasteboard, saved);
        if (error) {
            std::rethrow_exception(error);
        }
        co_return true;
    };
    co_await MainThread::run<bool>(std::move(body));
}

} // namespace quillora::capture
