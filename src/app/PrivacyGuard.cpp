#include "app/PrivacyGuard.h"

#include "ax/AXError.h"
#include "ax/Application.h"
#include "ax/SystemWideElement.h"
#include "capture/ElementAccessors.h"
#include "platform/UserDefaults.h"
#include "platform/Workspace.h"

#include <QFile>

namespace quillora {

namespace {

// The last part of a reverse-domain identifier ("org.keepassxc.KeePassXC" → "KeePassXC").
QString lastPart(const QString& name)
{
    return name.section(QLatin1Char('.'), -1);
}

// The process's executable name, which every desktop knows even where the window system tells nothing.
QString executableName(qint64 pid)
{
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    if (pid <= 0 || !comm.open(QIODevice::ReadOnly)) {
        return QString();
    }
    return QString::fromUtf8(comm.readAll()).trimmed();
}

} // namespace

PrivacyGuard::PrivacyGuard(UserDefaults& defaults, Workspace& workspace)
    : m_defaults(defaults)
    , m_workspace(workspace)
{
}

QStringList PrivacyGuard::defaultExcludedApplications()
{
    return {QStringLiteral("KeePassXC"),       QStringLiteral("KeePass2"),    QStringLiteral("Bitwarden"),
            QStringLiteral("1Password"),       QStringLiteral("Seahorse"),    QStringLiteral("KWalletManager5"),
            QStringLiteral("gnome-keyring"),   QStringLiteral("Secrets"),     QStringLiteral("pinentry"),
            QStringLiteral("pinentry-gnome3"), QStringLiteral("pinentry-qt"), QStringLiteral("ksshaskpass")};
}

QStringList PrivacyGuard::excludedApplications() const
{
    const QString key = QLatin1String(excludedApplicationsKey);
    if (!m_defaults.contains(key)) {
        return defaultExcludedApplications();
    }
    return m_defaults.string(key).split(QLatin1Char(','), Qt::SkipEmptyParts);
}

void PrivacyGuard::setExcludedApplications(const QStringList& applications)
{
    QStringList kept;
    for (const QString& application : applications) {
        const QString name = application.trimmed().remove(QLatin1Char(','));
        if (!name.isEmpty() && !kept.contains(name, Qt::CaseInsensitive)) {
            kept << name;
        }
    }
    m_defaults.set(QLatin1String(excludedApplicationsKey), kept.join(QLatin1Char(',')));
}

bool PrivacyGuard::isExcluded(const QStringList& excluded, const QStringList& names)
{
    for (const QString& name : names) {
        if (name.isEmpty()) {
            continue;
        }
        for (const QString& entry : excluded) {
            if (name.compare(entry, Qt::CaseInsensitive) == 0 ||
                lastPart(name).compare(entry, Qt::CaseInsensitive) == 0) {
                return true;
            }
        }
    }
    return false;
}

std::optional<QString> PrivacyGuard::refusal() const
{
    std::optional<UIElement> focused;
    qint64 pid = -1;
    try {
        focused = capture::focusedUIElement(systemWideElement());
        if (focused && focused->subrole() == Subrole::secureTextField) {
            return QStringLiteral("the focused field is a password field");
        }
        if (focused) {
            pid = focused->pid();
        }
    } catch (const AXError&) {
        // An element that cannot be asked is no password field we know of.
    }
    QStringList names;
    std::optional<RunningApplication> application = m_workspace.frontmostApplication();
    if (pid > 0 && (!application || application->pid != pid)) {
        application.reset();
        for (const RunningApplication& running : m_workspace.runningApplications()) {
            if (running.pid == pid) {
                application = running;
            }
        }
    }
    if (application) {
        names << application->localizedName.value_or(QString()) << application->bundleIdentifier.value_or(QString());
        pid = pid > 0 ? pid : application->pid;
    }
    if (pid > 0) {
        names << executableName(pid);
        // Where the window system names no application (Wayland), accessibility does; looking it
        // up walks the desktop's applications, so it is asked only then.
        if (!application) {
            try {
                if (const std::optional<Application> element = Application::forProcessID(pid)) {
                    names << capture::title(*element).value_or(QString());
                }
            } catch (const AXError&) {
            }
        }
    }
    if (isExcluded(excludedApplications(), names)) {
        return QStringLiteral("the application is excluded in the settings");
    }
    return std::nullopt;
}

} // namespace quillora
