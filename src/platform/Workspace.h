#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

namespace quillora {

/**
 * How an application appears: Regular has windows in the task bar, Accessory runs without a task
 * bar entry (a tray program, like Quillora), Prohibited shows no user interface (a background
 * service). Linux backends report Regular for programs with a top-level window.
 */
enum class ActivationPolicy { Regular = 0, Accessory = 1, Prohibited = 2 };

/** A running application as the workspace reports it. */
struct RunningApplication
{
    qint64 pid = -1;
    /**
     * A reverse-domain name for the application; on Linux its desktop-entry id (the .desktop
     * file's name without the suffix) where one is known.
     */
    std::optional<QString> bundleIdentifier;
    std::optional<QString> localizedName;
    ActivationPolicy activationPolicy = ActivationPolicy::Regular;
    bool terminated = false;

    bool operator==(const RunningApplication&) const = default;
};

/** The desktop workspace: running applications, the frontmost one, URLs and launching. */
class Workspace
{
public:
    Workspace() = default;
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;
    virtual ~Workspace() = default;

    /** The application that receives keyboard input, or none. */
    [[nodiscard]] virtual std::optional<RunningApplication> frontmostApplication() const = 0;

    /** Every running application, in the platform's order. */
    [[nodiscard]] virtual QList<RunningApplication> runningApplications() const = 0;

    /** The running application with this process id, or none. */
    [[nodiscard]] std::optional<RunningApplication> application(qint64 pid) const;

    /** Opens `url` with the user's default handler; false when nothing could open it. */
    virtual bool openURL(const QUrl& url) = 0;

    /**
     * Launches the application called `name` and returns once the launcher has finished.
     * Throws an `ErrorRecord` when the launch could not be started or failed.
     */
    virtual void launchApplication(const QString& name) = 0;
};

} // namespace quillora
