#include "platform/linux/wayland/WaylandWorkspace.h"

namespace quillora {

WaylandWorkspace::WaylandWorkspace(Workspace& base)
    : m_base(base)
{
}

std::optional<RunningApplication> WaylandWorkspace::frontmostApplication() const
{
    return std::nullopt;
}

QList<RunningApplication> WaylandWorkspace::runningApplications() const
{
    return m_base.runningApplications();
}

bool WaylandWorkspace::openURL(const QUrl& url)
{
    return m_base.openURL(url);
}

void WaylandWorkspace::launchApplication(const QString& name)
{
    m_base.launchApplication(name);
}

} // namespace quillora
