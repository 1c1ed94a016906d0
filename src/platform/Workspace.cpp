#include "platform/Workspace.h"

namespace quillora {

std::optional<RunningApplication> Workspace::application(qint64 pid) const
{
    for (const RunningApplication& app : runningApplications()) {
        if (app.pid == pid) {
            return app;
        }
    }
    return std::nullopt;
}

} // namespace quillora
