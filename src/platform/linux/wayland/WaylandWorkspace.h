#pragma once

#include "platform/Workspace.h"

namespace quillora {

/**
 * The workspace of a Wayland session. Launching, opening and the list of running applications
 * are the base workspace's (through Xwayland, where X11 clients are all it sees). Which
 * application is frontmost a background client cannot ask a Wayland compositor synchronously,
 * and Xwayland's answer names only X11 windows, so it is not told: the focused element then comes
 * from accessibility focus events alone.
 */
class WaylandWorkspace final : public Workspace
{
public:
    /** Delegates all but the frontmost application to `base`, which must outlive it. */
    explicit WaylandWorkspace(Workspace& base);

    /** Always none: see the class comment. */
    [[nodiscard]] std::optional<RunningApplication> frontmostApplication() const override;
    [[nodiscard]] QList<RunningApplication> runningApplications() const override;
    bool openURL(const QUrl& url) override;
    void launchApplication(const QString& name) override;

private:
    Workspace& m_base;
};

} // namespace quillora
