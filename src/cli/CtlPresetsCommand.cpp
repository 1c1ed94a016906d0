#include "cli/CtlPresetsCommand.h"

#include "app/BackendClient.h"
#include "app/PresetManager.h"
#include "cli/CtlContext.h"
#include "cli/CtlUsageError.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <memory>

namespace quillora {

namespace {

int parseIndex(const QString& text, qsizetype count)
{
    bool ok = false;
    const int index = text.toInt(&ok);
    if (!ok || index < 0 || index >= count) {
        throw CtlUsageError(count == 0
                                ? QStringLiteral("there are no presets ('%1' is not an index)").arg(text)
                                : QStringLiteral("'%1' is not a preset index (0 to %2)").arg(text).arg(count - 1));
    }
    return index;
}

// The settings screen's editor: Save needs a name and an instruction that are not blank once spaces
// and tabs are trimmed; then the untrimmed texts are validated and sent as typed.
void checkPreset(const QString& name, const QString& instruction)
{
    const auto blank = [](const QString& text) {
        return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c == u' ' || c == u'\t'; });
    };
    if (blank(name)) {
        throw CtlUsageError(QStringLiteral("the preset name must not be empty"));
    }
    if (blank(instruction)) {
        throw CtlUsageError(QStringLiteral("the instruction must not be empty"));
    }
    if (const std::optional<QString> message = PresetManager::validate(name, instruction)) {
        throw CtlUsageError(*message);
    }
}

CtlExitCode report(CtlContext& context, const PresetOutcome& outcome, const QString& success)
{
    for (const QString& problem : outcome.problems) {
        context.err() << "quilloractl: " << context.errText(problem) << Qt::endl;
    }
    if (!outcome.succeeded()) {
        return CtlExitCode::Failure;
    }
    context.out() << success << Qt::endl;
    return CtlExitCode::Success;
}

void list(CtlContext& context, const QList<PolishPreset>& presets, bool json)
{
    QTextStream& out = context.out();
    if (json) {
        QJsonArray array;
        for (qsizetype i = 0; i < presets.size(); ++i) {
            array.append(QJsonObject{{QStringLiteral("index"), i},
                                     {QStringLiteral("name"), presets[i].name},
                                     {QStringLiteral("instruction"), presets[i].instruction},
                                     {QStringLiteral("backendId"),
                                      presets[i].backendId ? QJsonValue(*presets[i].backendId) : QJsonValue()}});
        }
        out << QJsonDocument(array).toJson(QJsonDocument::Indented);
        out.flush();
        return;
    }
    if (presets.isEmpty()) {
        out << "No presets." << Qt::endl;
    }
    for (qsizetype i = 0; i < presets.size(); ++i) {
        out << '[' << i << "] " << context.outText(presets[i].name) << (presets[i].backendId ? "" : " (built-in)")
            << '\n'
            << "    " << context.outText(presets[i].instruction) << '\n';
    }
    out.flush();
}

} // namespace

QCoro::Task<CtlExitCode> CtlPresetsCommand::run(CtlContext& context, CtlInvocation invocation)
{
    const QStringList& arguments = invocation.arguments;
    // Texts are checked before anything is sent, as the editor checks them before saving.
    if (invocation.command == CtlCommand::PresetsAdd) {
        checkPreset(arguments[0], arguments[1]);
    } else if (invocation.command == CtlCommand::PresetsUpdate) {
        checkPreset(arguments[1], arguments[2]);
    }
    // Watched before the first request: a load answered 401 whose refresh is refused ends the session.
    const auto sessionEnded = std::make_shared<bool>(false);
    QObject::connect(&context.backend(), &BackendClient::sessionEnded, &context.backend(),
                     [sessionEnded] { *sessionEnded = true; });
    PresetManager& manager = context.presets();
    const PresetOutcome loaded = co_await manager.waitForInitialLoad();

    switch (invocation.command) {
    case CtlCommand::PresetsList:
        if (*sessionEnded) {
            context.err() << "quilloractl: the backend ended the session (sign in again with 'quilloractl login')"
                          << Qt::endl;
            co_return CtlExitCode::Failure;
        }
        for (const QString& problem : loaded.problems) {
            context.err() << "quilloractl: " << context.errText(problem) << " (showing the presets kept on this device)"
                          << Qt::endl;
        }
        list(context, manager.presets(), invocation.json);
        co_return CtlExitCode::Success;
    case CtlCommand::PresetsAdd: {
        const PresetOutcome outcome = co_await manager.addPreset(arguments[0], arguments[1]);
        co_return report(context, outcome, QStringLiteral("Added preset '%1'.").arg(arguments[0]));
    }
    case CtlCommand::PresetsUpdate: {
        PolishPreset preset = manager.presets()[parseIndex(arguments[0], manager.presets().size())];
        preset.name = arguments[1];
        preset.instruction = arguments[2];
        const PresetOutcome outcome = co_await manager.updatePreset(preset);
        co_return report(context, outcome, QStringLiteral("Updated preset '%1'.").arg(preset.name));
    }
    case CtlCommand::PresetsDelete: {
        QList<int> offsets;
        for (const QString& argument : arguments) {
            offsets.append(parseIndex(argument, manager.presets().size()));
        }
        const PresetOutcome outcome = co_await manager.deletePreset(offsets);
        co_return report(
            context, outcome,
            QStringLiteral("Deleted %1 preset(s).").arg(QSet<int>(offsets.cbegin(), offsets.cend()).size()));
    }
    case CtlCommand::PresetsMove: {
        const int from = parseIndex(arguments[0], manager.presets().size());
        const int to = parseIndex(arguments[1], manager.presets().size());
        // The list's move puts the preset before the one standing at the destination; to end at
        // index `to` when moving down, that is the preset after it.
        manager.move({from}, to > from ? to + 1 : to);
        co_return report(context, PresetOutcome(),
                         QStringLiteral("Moved '%1' to index %2.").arg(manager.presets()[to].name).arg(to));
    }
    default:
        co_return CtlExitCode::Usage;
    }
}

} // namespace quillora
