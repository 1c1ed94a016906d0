#pragma once

#include "platform/Workspace.h"

namespace quillora {

/** The workspace of the X11 desktop. (Placeholder until the X11 backend lands.) */
class LinuxWorkspace final : public Workspace
{
public:
    [[nodiscard]] std::optional<RunningApplication> frontmostApplication() const override { return std::nullopt; }
    [[nodiscard]] QList<RunningApplication> runningApplications() const override { return {}; }
    bool openURL(const QUrl&) override { return false; }
    void launchApplication(const QString&) override {}
};

} // namespace quillora
