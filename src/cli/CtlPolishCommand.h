#pragma once

#include "cli/CtlInvocation.h"

#include <qcoro/qcorotask.h>

namespace quillora {

class CtlContext;

/** `polish [TEXT] [--json]`: polishes a text with every preset and adds it to the history. */
class CtlPolishCommand final
{
public:
    CtlPolishCommand() = delete;

    /**
     * Reads the text (the argument, or standard input when it is absent or "-"), waits for the
     * preset list as the application loads it, polishes, prints one block per variation (or JSON)
     * and records the polishing in the history. Throws `CtlUsageError` for an empty text, and the
     * polishing's own errors.
     */
    static QCoro::Task<CtlExitCode> run(CtlContext& context, CtlInvocation invocation);
};

} // namespace quillora
