#pragma once

#include <QStringList>

namespace quillora {

/**
 * What a preset operation achieved, for callers that report it (the command line). The application
 * itself ignores it: the log and the resulting list tell everything there.
 */
struct PresetOutcome
{
    /** The failure lines the operation wrote to the log, without their leading symbol, in order. */
    QStringList problems;

    /** True when the operation did everything it was asked to do. */
    [[nodiscard]] bool succeeded() const { return problems.isEmpty(); }
};

} // namespace quillora
