#pragma once

#include "cli/CtlInvocation.h"

#include <qcoro/qcorotask.h>

namespace quillora {

class CtlContext;

/** `quilloractl demo [TEXT]`: plays the polishing loop on the simulated desktop against the backend. */
class CtlDemoCommand final
{
public:
    CtlDemoCommand() = delete;

    /**
     * Prints the scenario step by step on the context's output, selecting TEXT when given. Succeeds
     * when the editor's selection was replaced; fails (exit status 1) when a step did not happen.
     */
    static QCoro::Task<CtlExitCode> run(CtlContext& context, CtlInvocation invocation);
};

} // namespace quillora
