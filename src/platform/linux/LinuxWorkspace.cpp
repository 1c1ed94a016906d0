#include "platform/linux/LinuxWorkspace.h"

#include "core/ErrorRecord.h"
#include "platform/linux/X11WindowDirectory.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QThread>

namespace quillora {

namespace {

constexpr int kLaunchWaitMilliseconds = 5000;
constexpr int kLaunchPollMilliseconds = 50;

// The process name the kernel keeps, used when a window has no WM_CLASS.
QString processName(qint64 pid)
{
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    if (!comm.open(QIODevice::ReadOnly)) {
        return QString();
    }
    return QString::fromLocal8Bit(comm.readAll()).trimmed();
}

} // namespace

LinuxWorkspace::LinuxWorkspace()
    : m_windows(std::make_unique<X11WindowDirectory>())
{
}

LinuxWorkspace::~LinuxWorkspace() = default;

RunningApplication LinuxWorkspace::application(const X11ClientWindow& window)
{
    RunningApplication application;
    application.pid = window.pid;
    application.activationPolicy = ActivationPolicy::Regular;
    const QString name = window.className.isEmpty() ? processName(window.pid) : window.className;
    if (!name.isEmpty()) {
        application.localizedName = name;
    }
    if (!window.instanceName.isEmpty()) {
        application.bundleIdentifier = window.instanceName;
    }
    return application;
}

std::optional<RunningApplication> LinuxWorkspace::frontmostApplication() const
{
    const std::optional<quint64> active = m_windows->activeWindow();
    if (!active) {
        return std::nullopt;
    }
    for (const X11ClientWindow& window : m_windows->clientWindows()) {
        if (window.id == *active && window.pid > 0) {
            return application(window);
        }
    }
    return std::nullopt;
}

QList<RunningApplication> LinuxWorkspace::runningApplications() const
{
    // One entry per process, named after its first window in the window manager's order.
    QList<RunningApplication> applications;
    QSet<qint64> seen;
    for (const X11ClientWindow& window : m_windows->clientWindows()) {
        if (window.pid <= 0 || seen.contains(window.pid)) {
            continue;
        }
        seen.insert(window.pid);
        applications.append(application(window));
    }
    return applications;
}

bool LinuxWorkspace::openURL(const QUrl& url)
{
    return QProcess::startDetached(QStringLiteral("xdg-open"), {url.toString(QUrl::FullyEncoded)});
}

void LinuxWorkspace::launchApplication(const QString& name)
{
    qint64 pid = 0;
    if (name.trimmed().isEmpty() || !QProcess::startDetached(name, {}, QString(), &pid)) {
        throw ErrorRecord(
            QStringLiteral("LinuxWorkspace"), 1,
            {{kLocalizedDescriptionKey,
              QStringLiteral("The application \"%1\" could not be launched: no program of that name could be started.")
                  .arg(name)}});
    }
    if (m_windows->display() == nullptr) {
        return;
    }
    // The launch counts as finished once the program shows a window, or once it has exited (a
    // single-instance program hands over to its running instance and quits).
    const QDeadlineTimer deadline(kLaunchWaitMilliseconds);
    while (!deadline.hasExpired() && QFileInfo::exists(QStringLiteral("/proc/%1").arg(pid))) {
        for (const X11ClientWindow& window : m_windows->clientWindows()) {
            if (window.pid == pid) {
                return;
            }
        }
        QThread::msleep(kLaunchPollMilliseconds);
    }
}

void LinuxWorkspace::relaunch(const QStringList& arguments)
{
    const QString program = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    if (program.isEmpty() || !QProcess::startDetached(program, arguments)) {
        throw ErrorRecord(QStringLiteral("LinuxWorkspace"), 2,
                          {{kLocalizedDescriptionKey, QStringLiteral("The application could not be started again.")}});
    }
}

} // namespace quillora
