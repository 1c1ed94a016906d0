#pragma once

#include "cli/CtlInvocation.h"

#include <qcoro/qcorotask.h>

namespace quillora {

class CtlContext;

/** `presets list|add|update|delete|move`: the preset editing of the settings screen. */
class CtlPresetsCommand final
{
public:
    CtlPresetsCommand() = delete;

    /**
     * Waits for the preset list as the application loads it, then lists or changes it with the
     * same validation and backend calls as the settings screen. Returns Failure when the backend
     * did not confirm the change (the reasons go to standard error). Throws `CtlUsageError` for an
     * index outside the list, an empty name or instruction, or text that fails validation.
     */
    static QCoro::Task<CtlExitCode> run(CtlContext& context, CtlInvocation invocation);
};

} // namespace quillora
