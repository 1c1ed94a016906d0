#include "cli/CtlRunner.h"

#include "app/AppInfo.h"
#include "cli/CtlCommandLine.h"
#include "cli/CtlContext.h"
#include "cli/CtlDemoCommand.h"
#include "cli/CtlHistoryCommand.h"
#include "cli/CtlPolishCommand.h"
#include "cli/CtlPresetsCommand.h"
#include "cli/CtlSessionCommand.h"
#include "cli/CtlUsageError.h"
#include "core/ErrorRecord.h"

#include <QTextStream>

namespace quillora {

namespace {

// One line: the error's description, and the backend's own words when it gave any.
QString describe(const Error& error)
{
    const ErrorRecord record = error.toRecord();
    const QString backendError = record.userInfo().value(QStringLiteral("backendError")).toString();
    const QString description = error.localizedDescription();
    QString line = backendError.isEmpty() ? description : description + QStringLiteral(": ") + backendError;
    return line.replace(u'\n', u' ');
}

} // namespace

CtlRunner::CtlRunner(QTextStream& out, QTextStream& err, QIODevice& input, CtlTerminals terminals)
    : m_out(out)
    , m_err(err)
    , m_input(input)
    , m_terminals(terminals)
{
}

QCoro::Task<int> CtlRunner::run(QStringList arguments)
{
    CtlInvocation invocation;
    try {
        invocation = CtlCommandLine::parse(arguments);
    } catch (const CtlUsageError& error) {
        m_err << "quilloractl: " << error.localizedDescription() << " (see 'quilloractl --help')" << Qt::endl;
        co_return static_cast<int>(CtlExitCode::Usage);
    }
    if (invocation.command == CtlCommand::Help) {
        m_out << CtlCommandLine::usage();
        m_out.flush();
        co_return static_cast<int>(CtlExitCode::Success);
    }
    if (invocation.command == CtlCommand::Version) {
        m_out << "quilloractl " << AppInfo::version() << Qt::endl;
        co_return static_cast<int>(CtlExitCode::Success);
    }

    CtlContext context(m_out, m_err, m_input, invocation.backend, m_terminals);
    CtlExitCode code = CtlExitCode::Failure;
    ErrorPtr failure;
    try {
        code = co_await dispatch(context, invocation);
    } catch (...) {
        failure = errorFromException(std::current_exception());
    }
    if (failure) {
        const bool usage = dynamic_cast<const CtlUsageError*>(failure.get()) != nullptr;
        code = usage ? CtlExitCode::Usage : CtlExitCode::Failure;
        // The backend's own words are received text.
        m_err << "quilloractl: " << context.errText(describe(*failure)) << Qt::endl;
    }
    if (context.usedBackend()) {
        context.printDueUpdateNotice();
    }
    m_out.flush();
    co_return static_cast<int>(code);
}

QCoro::Task<CtlExitCode> CtlRunner::dispatch(CtlContext& context, CtlInvocation invocation)
{
    switch (invocation.command) {
    case CtlCommand::Polish:
        co_return co_await CtlPolishCommand::run(context, invocation);
    case CtlCommand::PresetsList:
    case CtlCommand::PresetsAdd:
    case CtlCommand::PresetsUpdate:
    case CtlCommand::PresetsDelete:
    case CtlCommand::PresetsMove:
        co_return co_await CtlPresetsCommand::run(context, invocation);
    case CtlCommand::HistoryList:
    case CtlCommand::HistoryClear:
        co_return CtlHistoryCommand::run(context, invocation);
    case CtlCommand::Login:
    case CtlCommand::Logout:
        co_return CtlSessionCommand::run(context, invocation);
    case CtlCommand::Demo:
        co_return co_await CtlDemoCommand::run(context, invocation);
    case CtlCommand::Help:
    case CtlCommand::Version:
        break;
    }
    co_return CtlExitCode::Usage;
}

} // namespace quillora
