#include "cli/CtlPolishCommand.h"

#include "app/AIPolishingService.h"
#include "app/HistoryManager.h"
#include "app/PresetManager.h"
#include "cli/CtlContext.h"
#include "cli/CtlUsageError.h"

#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

namespace quillora {

namespace {

QString readText(CtlContext& context, const CtlInvocation& invocation)
{
    if (!invocation.arguments.isEmpty() && invocation.arguments.first() != u'-') {
        return invocation.arguments.first();
    }
    QString text = QString::fromUtf8(context.input().readAll());
    // The line break that ends what a pipe or a terminal delivers is not part of the text.
    if (text.endsWith(u'\n')) {
        text.chop(text.endsWith(QLatin1String("\r\n")) ? 2 : 1);
    }
    return text;
}

// The service's note is about the whole answer; every variation carries the same one.
std::optional<QString> answerNote(const PolishingOutcome& outcome)
{
    for (const PolishedResult& result : outcome.results) {
        if (result.note) {
            return result.note;
        }
    }
    return std::nullopt;
}

QJsonObject outcomeJson(const PolishingOutcome& outcome)
{
    QJsonArray results;
    for (const PolishedResult& result : outcome.results) {
        QJsonObject entry{{QStringLiteral("presetName"), result.presetName},
                          {QStringLiteral("content"), result.content},
                          {QStringLiteral("logId"), result.logId ? QJsonValue(*result.logId) : QJsonValue()}};
        if (result.correctionsOnly) {
            entry.insert(QStringLiteral("correctionsOnly"), true);
        }
        results.append(entry);
    }
    QJsonObject object{{QStringLiteral("results"), results},
                       {QStringLiteral("model"), outcome.model},
                       {QStringLiteral("duration"), outcome.duration}};
    if (const std::optional<QString> note = answerNote(outcome)) {
        object.insert(QStringLiteral("note"), *note);
    }
    return object;
}

} // namespace

QCoro::Task<CtlExitCode> CtlPolishCommand::run(CtlContext& context, CtlInvocation invocation)
{
    const QString text = readText(context, invocation);
    if (text.trimmed().isEmpty()) {
        throw CtlUsageError(QStringLiteral("there is no text to polish"));
    }
    PresetManager& presets = context.presets();
    co_await presets.waitForInitialLoad();
    const PolishingOutcome outcome = co_await AIPolishingService(context.backend(), presets).polishAll(text);
    HistoryManager& history = context.history();
    history.addEntry(text, outcome.results, outcome.model, outcome.duration);
    history.finishPendingSave();

    // The polishing is printed either way; a history that could not keep it is still a failure.
    QTextStream& out = context.out();
    if (invocation.json) {
        out << QJsonDocument(outcomeJson(outcome)).toJson(QJsonDocument::Indented);
    } else {
        if (const std::optional<QString> note = answerNote(outcome)) {
            out << "Note: " << context.outText(*note) << "\n\n";
        }
        for (qsizetype i = 0; i < outcome.results.size(); ++i) {
            const PolishedResult& result = outcome.results[i];
            out << (i == 0 ? "" : "\n") << "== " << context.outText(result.presetName) << " ==\n";
            if (result.correctionsOnly) {
                out << "(" << PolishedResult::correctionsOnlyText << ")\n";
            }
            out << context.outText(result.content) << '\n';
        }
    }
    out.flush();
    if (const std::optional<QString>& error = history.lastError()) {
        context.err() << "quilloractl: " << *error << Qt::endl;
        co_return CtlExitCode::Failure;
    }
    co_return CtlExitCode::Success;
}

} // namespace quillora
