#include "platform/linux/x11/X11Workspace.h"

#include "core/ErrorRecord.h"
#include "platform/linux/x11/X11WindowDirectory.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
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

// The .desktop file a process was started from, as GLib's launcher records it in the environment.
QString launchedDesktopId(qint64 pid)
{
    QFile environ(QStringLiteral("/proc/%1/environ").arg(pid));
    if (!environ.open(QIODevice::ReadOnly)) {
        return QString();
    }
    for (const QByteArray& entry : environ.readAll().split('\0')) {
        if (entry.startsWith("GIO_LAUNCHED_DESKTOP_FILE=")) {
            return QFileInfo(QString::fromLocal8Bit(entry.mid(entry.indexOf('=') + 1))).completeBaseName();
        }
    }
    return QString();
}

// The path of the .desktop file with this id in the XDG data folders; empty when there is none.
QString desktopFilePath(const QString& id)
{
    if (id.isEmpty()) {
        return QString();
    }
    return QStandardPaths::locate(QStandardPaths::ApplicationsLocation, id + QStringLiteral(".desktop"));
}

// The name a .desktop file gives, in the user's language where it has one.
QString desktopName(const QString& path)
{
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return QString();
    }
    const QString language = QLocale().name();
    const QString shortLanguage = language.section(QLatin1Char('_'), 0, 0);
    QString plain;
    QString localized;
    bool inEntry = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inEntry = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!inEntry) {
            continue;
        }
        const QString key = line.section(QLatin1Char('='), 0, 0).trimmed();
        const QString value = line.section(QLatin1Char('='), 1).trimmed();
        if (key == QLatin1String("Name")) {
            plain = value;
        } else if (key == QStringLiteral("Name[%1]").arg(language) ||
                   (localized.isEmpty() && key == QStringLiteral("Name[%1]").arg(shortLanguage))) {
            localized = value;
        }
    }
    return localized.isEmpty() ? plain : localized;
}

} // namespace

X11Workspace::X11Workspace()
    : X11Workspace(std::make_shared<X11WindowDirectory>())
{
}

X11Workspace::X11Workspace(std::shared_ptr<X11WindowDirectory> windows)
    : m_windows(std::move(windows))
{
}

X11Workspace::~X11Workspace() = default;

RunningApplication X11Workspace::application(const X11ClientWindow& window) const
{
    // The .desktop lookups read files: each window's answer is kept.
    const QString key =
        QStringLiteral("%1/%2/%3/%4").arg(window.pid).arg(window.instanceName, window.className, window.applicationId);
    if (const auto known = m_applications.constFind(key); known != m_applications.cend()) {
        return *known;
    }
    RunningApplication application;
    application.pid = window.pid;
    application.activationPolicy = ActivationPolicy::Regular;
    // The bundle identifier is the .desktop id where one is known (GTK's application id, the file
    // GLib launched, a file named after the window's class), else the WM_CLASS instance name.
    QString desktopId = window.applicationId;
    if (desktopId.isEmpty()) {
        desktopId = launchedDesktopId(window.pid);
    }
    QString desktopFile = desktopFilePath(desktopId);
    if (desktopFile.isEmpty() && desktopId.isEmpty()) {
        desktopFile = desktopFilePath(window.instanceName);
        if (!desktopFile.isEmpty()) {
            desktopId = window.instanceName;
        }
    }
    QString name = desktopName(desktopFile);
    if (name.isEmpty()) {
        name = window.className.isEmpty() ? processName(window.pid) : window.className;
    }
    if (!name.isEmpty()) {
        application.localizedName = name;
    }
    if (!desktopId.isEmpty()) {
        application.bundleIdentifier = desktopId;
    } else if (!window.instanceName.isEmpty()) {
        application.bundleIdentifier = window.instanceName;
    }
    m_applications.insert(key, application);
    return application;
}

std::optional<RunningApplication> X11Workspace::frontmostApplication() const
{
    // Only the active window is asked about: this runs on every selection check.
    const std::optional<quint64> active = m_windows->activeWindow();
    if (!active) {
        return std::nullopt;
    }
    const std::optional<X11ClientWindow> window = m_windows->clientWindow(*active);
    if (!window || window->pid <= 0) {
        return std::nullopt;
    }
    return application(*window);
}

QList<RunningApplication> X11Workspace::runningApplications() const
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

bool X11Workspace::openURL(const QUrl& url)
{
    return QProcess::startDetached(QStringLiteral("xdg-open"), {url.toString(QUrl::FullyEncoded)});
}

void X11Workspace::launchApplication(const QString& name)
{
    qint64 pid = 0;
    if (name.trimmed().isEmpty() || !QProcess::startDetached(name, {}, QString(), &pid)) {
        throw ErrorRecord(
            QStringLiteral("X11Workspace"), 1,
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

} // namespace quillora
