#include "cli/CtlHistoryCommand.h"

#include "app/HistoryManager.h"
#include "cli/CtlContext.h"
#include "core/JsonCoding.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <algorithm>

namespace quillora {

namespace {

QJsonValue optionalJson(const std::optional<QString>& value)
{
    return value ? QJsonValue(*value) : QJsonValue();
}

QJsonObject itemJson(const HistoryItem& item)
{
    QJsonArray results;
    for (const PolishedResult& result : item.polishedResults) {
        results.append(QJsonObject{{QStringLiteral("presetName"), result.presetName},
                                   {QStringLiteral("content"), result.content},
                                   {QStringLiteral("logId"), result.logId ? QJsonValue(*result.logId) : QJsonValue()}});
    }
    return QJsonObject{
        {QStringLiteral("id"), JsonCoding::uuidText(item.id)},
        {QStringLiteral("timestamp"),
         item.timestamp.toOffsetFromUtc(item.timestamp.offsetFromUtc()).toString(Qt::ISODate)},
        {QStringLiteral("originalText"), item.originalText},
        {QStringLiteral("modelUsed"), optionalJson(item.modelUsed)},
        {QStringLiteral("responseTime"), item.responseTime ? QJsonValue(*item.responseTime) : QJsonValue()},
        {QStringLiteral("results"), results}};
}

void printItem(const CtlContext& context, QTextStream& out, const HistoryItem& item)
{
    out << '[' << item.timestamp.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")) << ']';
    if (item.modelUsed) {
        out << ' ' << context.outText(*item.modelUsed);
    }
    if (item.responseTime) {
        out << ' ' << QString::number(*item.responseTime, 'f', 2) << " s";
    }
    out << "\nOriginal: " << context.outText(item.originalText) << '\n';
    for (const PolishedResult& result : item.polishedResults) {
        out << "  " << context.outText(result.presetName) << ": " << context.outText(result.content) << '\n';
    }
}

} // namespace

CtlExitCode CtlHistoryCommand::run(CtlContext& context, const CtlInvocation& invocation)
{
    HistoryManager& history = context.history();
    QTextStream& out = context.out();
    const auto failed = [&context](const QString& error) {
        context.err() << "quilloractl: " << error << Qt::endl;
        return CtlExitCode::Failure;
    };
    if (invocation.command == CtlCommand::HistoryClear) {
        history.clearHistory();
        history.finishPendingSave();
        if (const std::optional<QString>& error = history.lastError()) {
            return failed(*error);
        }
        out << "History cleared." << Qt::endl;
        return CtlExitCode::Success;
    }
    // An unreadable history is not an empty one.
    if (const std::optional<QString>& error = history.lastError()) {
        return failed(*error);
    }

    QList<HistoryItem> items;
    std::copy_if(
        history.items().cbegin(), history.items().cend(), std::back_inserter(items),
        [&invocation](const HistoryItem& item) { return !invocation.search || matches(item, *invocation.search); });
    if (invocation.json) {
        QJsonArray array;
        for (const HistoryItem& item : items) {
            array.append(itemJson(item));
        }
        out << QJsonDocument(array).toJson(QJsonDocument::Indented);
    } else if (items.isEmpty()) {
        out << (invocation.search ? "No matching history." : "No history.") << '\n';
    } else {
        for (qsizetype i = 0; i < items.size(); ++i) {
            out << (i == 0 ? "" : "\n");
            printItem(context, out, items[i]);
        }
    }
    out.flush();
    return CtlExitCode::Success;
}

bool CtlHistoryCommand::matches(const HistoryItem& item, const QString& search)
{
    if (item.originalText.contains(search, Qt::CaseInsensitive)) {
        return true;
    }
    return std::any_of(
        item.polishedResults.cbegin(), item.polishedResults.cend(),
        [&search](const PolishedResult& result) { return result.content.contains(search, Qt::CaseInsensitive); });
}

} // namespace quillora
