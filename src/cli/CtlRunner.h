#pragma once

#include "cli/CtlInvocation.h"

#include <QStringList>

#include <qcoro/qcorotask.h>

class QIODevice;
class QTextStream;

namespace quillora {

class CtlContext;

/**
 * Runs one `quilloractl` command line against the current platform: parses it, runs the command,
 * prints errors as one line on `err`, and prints a due update notice after any command that talked
 * to the backend.
 */
class CtlRunner final
{
public:
    /** `terminals` says which of `out` and `err` is a terminal. */
    CtlRunner(QTextStream& out, QTextStream& err, QIODevice& input, CtlTerminals terminals = {});

    /** Runs `arguments` (without the program name) and returns the exit code. Never throws. */
    QCoro::Task<int> run(QStringList arguments);

private:
    static QCoro::Task<CtlExitCode> dispatch(CtlContext& context, CtlInvocation invocation);

    QTextStream& m_out;
    QTextStream& m_err;
    QIODevice& m_input;
    CtlTerminals m_terminals;
};

} // namespace quillora
