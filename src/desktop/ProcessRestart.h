#pragma once

#include <QString>

#include <string>
#include <vector>

namespace quillora {

/**
 * Starts this program again in place: the running binary (/proc/self/exe) replaces the process
 * image with the command line the process was started with, so the process id, the parent and
 * everything the parent holds for it stay. A script or service manager that waits for the program
 * never sees it end.
 */
class ProcessRestart final
{
public:
    /**
     * Remembers the command line; made first thing in `main`, before the toolkit takes its own
     * arguments out of `argv`. Arguments that ask for something once (`oneShot`) are left out.
     */
    ProcessRestart(int argc, char** argv, const std::vector<std::string>& oneShot = {});

    /** The running binary; empty when it cannot be found (no /proc), in which case `exec()` fails. */
    [[nodiscard]] static QString program();

    /**
     * Replaces this process with the running binary and the remembered arguments. Returns only
     * when that fails, with the reason. Descriptors opened close-on-exec (the toolkit's, the
     * bus's) are closed by the exchange; the caller releases everything else first.
     */
    [[nodiscard]] QString exec() const;

private:
    std::vector<std::string> m_arguments;
};

} // namespace quillora
