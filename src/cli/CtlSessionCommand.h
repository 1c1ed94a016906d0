#pragma once

#include "cli/CtlInvocation.h"

namespace quillora {

class CtlContext;

/** `login --access-token A --refresh-token R` and `logout`: the minimal sign-in. */
class CtlSessionCommand final
{
public:
    CtlSessionCommand() = delete;

    /** Stores or removes the session tokens in user defaults. Never fails. */
    static CtlExitCode run(CtlContext& context, const CtlInvocation& invocation);
};

} // namespace quillora
