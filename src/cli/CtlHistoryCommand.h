#pragma once

#include "cli/CtlInvocation.h"

class QString;

namespace quillora {

class CtlContext;
struct HistoryItem;

/** `history [list] [--search TEXT] [--json]` and `history clear`. */
class CtlHistoryCommand final
{
public:
    CtlHistoryCommand() = delete;

    /** Lists (newest first, optionally filtered) or clears the history. Never fails. */
    static CtlExitCode run(CtlContext& context, const CtlInvocation& invocation);

    /** True when `search` occurs, in any letter case, in the original text or in a variation. */
    [[nodiscard]] static bool matches(const HistoryItem& item, const QString& search);
};

} // namespace quillora
