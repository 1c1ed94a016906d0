#include "platform/sim/SimWorkspace.h"

#include "core/ErrorRecord.h"

namespace quillora {

std::optional<RunningApplication> SimWorkspace::frontmostApplication() const
{
    return m_frontmostPid < 0 ? std::nullopt : application(m_frontmostPid);
}

QList<RunningApplication> SimWorkspace::runningApplications() const
{
    return m_apps;
}

bool SimWorkspace::openURL(const QUrl& url)
{
    m_openedURLs.append(url);
    return true;
}

void SimWorkspace::launchApplication(const QString& name)
{
    m_launchedNames.append(name);
    if (!m_launchHandler) {
        throw ErrorRecord(
            QStringLiteral("SimWorkspace"), 1,
            {{kLocalizedDescriptionKey, QStringLiteral("Unable to find application named '%1'").arg(name)}});
    }
    m_launchHandler(name);
}

void SimWorkspace::addApplication(const RunningApplication& app)
{
    for (RunningApplication& existing : m_apps) {
        if (existing.pid == app.pid) {
            existing = app;
            return;
        }
    }
    m_apps.append(app);
}

void SimWorkspace::removeApplication(qint64 pid)
{
    m_apps.removeIf([pid](const RunningApplication& app) { return app.pid == pid; });
    if (m_frontmostPid == pid) {
        m_frontmostPid = -1;
    }
}

} // namespace quillora
