#pragma once

#include "platform/Workspace.h"

#include <QStringList>

#include <functional>

namespace quillora {

/** The simulated desktop's workspace: a list of running applications, one of them frontmost. */
class SimWorkspace final : public Workspace
{
public:
    [[nodiscard]] std::optional<RunningApplication> frontmostApplication() const override;
    [[nodiscard]] QList<RunningApplication> runningApplications() const override;
    bool openURL(const QUrl& url) override;
    void launchApplication(const QString& name) override;

    /** Adds a running application (or replaces the one with the same pid). */
    void addApplication(const RunningApplication& app);
    /** Removes the application with this pid; the frontmost one is cleared when it was that one. */
    void removeApplication(qint64 pid);
    /** Makes the application with this pid frontmost; -1 for none. */
    void setFrontmost(qint64 pid) { m_frontmostPid = pid; }

    /** URLs opened so far, in order. */
    [[nodiscard]] const QList<QUrl>& openedURLs() const { return m_openedURLs; }
    /** Names passed to `launchApplication`, in order. */
    [[nodiscard]] const QStringList& launchedNames() const { return m_launchedNames; }

    /**
     * What a launch does: by default it fails with an error record (no such application). Tests
     * install a handler that adds the application, or does nothing to model a name mismatch.
     */
    void setLaunchHandler(std::function<void(const QString&)> handler) { m_launchHandler = std::move(handler); }

private:
    QList<RunningApplication> m_apps;
    qint64 m_frontmostPid = -1;
    QList<QUrl> m_openedURLs;
    QStringList m_launchedNames;
    std::function<void(const QString&)> m_launchHandler;
};

} // namespace quillora
