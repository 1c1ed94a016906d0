#pragma once

#include "cli/CtlInvocation.h"

namespace quillora {

/** Reads the command line of `quilloractl`. */
class CtlCommandLine final
{
public:
    CtlCommandLine() = delete;

    /**
     * Parses `arguments` (without the program name). Options may stand anywhere; "--" ends them.
     * "--help" anywhere asks for the usage, else "--version" for the version. Throws `CtlUsageError` for an unknown
     * command or option, a missing or extra argument, or an option the command does not take.
     */
    [[nodiscard]] static CtlInvocation parse(const QStringList& arguments);

    /** The usage text printed by --help. */
    [[nodiscard]] static QString usage();
};

} // namespace quillora
