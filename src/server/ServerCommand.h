#pragma once

#include <QStringList>

class QProcessEnvironment;

namespace quillora {

class Clock;

/**
 * The `quillora-server` command: serves until SIGTERM or SIGINT, or runs "users add NAME". Errors
 * are reported as one line on standard error.
 */
class ServerCommand final
{
public:
    /**
     * Runs the command given by `arguments` (without the program name) and `environment`, using
     * `clock`, inside a running QCoreApplication. Returns the exit status: 0 on success (also after
     * a graceful stop), 1 for a failure at run time (database, busy port, existing user), 2 for a
     * bad option.
     */
    [[nodiscard]] static int run(const QStringList& arguments, const QProcessEnvironment& environment, Clock& clock);
};

} // namespace quillora
