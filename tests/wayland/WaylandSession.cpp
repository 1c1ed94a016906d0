#include "WaylandSession.h"

#include "Compositor.h"
#include "support/WaitFor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <csignal>
#include <cstdio>
#include <sys/prctl.h>
#include <sys/types.h>
#include <unistd.h>

namespace quillora::test {

namespace {

const QString kAccessibilityLauncher = QStringLiteral("/usr/libexec/at-spi-bus-launcher");

} // namespace

std::unique_ptr<WaylandSession> WaylandSession::start(std::unique_ptr<Compositor> compositor, QString* whyNot)
{
    std::unique_ptr<WaylandSession> session(new WaylandSession);
    session->m_compositor = std::move(compositor);
    // For a failing test the logs of the session's programs can be kept.
    if (qEnvironmentVariableIsSet("QUILLORA_KEEP_DESKTOP_LOGS")) {
        session->m_root.setAutoRemove(false);
        std::fprintf(stderr, "Wayland session logs in %s\n", qPrintable(session->m_root.path()));
    }
    QString failure = session->prepareFolders();
    if (failure.isEmpty()) {
        failure = session->startBus();
    }
    if (failure.isEmpty()) {
        failure = session->startAccessibilityBus();
    }
    if (failure.isEmpty()) {
        failure = session->m_compositor->start(*session);
    }
    if (!failure.isEmpty()) {
        if (whyNot != nullptr) {
            *whyNot = failure;
        }
        return nullptr;
    }
    // This process joins the session too: libatspi, Xlib and Qt's D-Bus read these when they start.
    for (const QString& key : session->m_environment.keys()) {
        if (key.startsWith(QLatin1String("XDG_")) || key == QLatin1String("DISPLAY") ||
            key == QLatin1String("WAYLAND_DISPLAY") || key == QLatin1String("DBUS_SESSION_BUS_ADDRESS") ||
            key == QLatin1String("SWAYSOCK") || key == QLatin1String("HOME")) {
            qputenv(key.toUtf8().constData(), session->m_environment.value(key).toUtf8());
        }
    }
    qunsetenv("AT_SPI_BUS_ADDRESS");
    return session;
}

QString WaylandSession::prepareFolders()
{
    if (!m_root.isValid()) {
        return QStringLiteral("no temporary folder");
    }
    const QString root = m_root.path();
    for (const char* folder : {"runtime", "config", "data", "cache"}) {
        QDir(root).mkpath(QString::fromLatin1(folder));
    }
    // Wayland clients refuse a runtime folder that others can read.
    QFile::setPermissions(runtimePath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    m_environment = QProcessEnvironment::systemEnvironment();
    // Nothing of the desktop this test was started from may leak in.
    for (const char* name : {"AT_SPI_BUS_ADDRESS", "WAYLAND_DISPLAY", "DISPLAY", "XAUTHORITY", "SESSION_MANAGER",
                             "SWAYSOCK", "I3SOCK", "XDG_SESSION_TYPE", "XDG_CURRENT_DESKTOP", "XDG_SESSION_DESKTOP",
                             "QT_QPA_PLATFORM", "GDK_BACKEND", "NO_AT_BRIDGE", "DBUS_SESSION_BUS_ADDRESS"}) {
        m_environment.remove(QString::fromLatin1(name));
    }
    m_environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimePath());
    m_environment.insert(QStringLiteral("XDG_CONFIG_HOME"), root + QStringLiteral("/config"));
    m_environment.insert(QStringLiteral("XDG_DATA_HOME"), root + QStringLiteral("/data"));
    m_environment.insert(QStringLiteral("XDG_CACHE_HOME"), root + QStringLiteral("/cache"));
    m_environment.insert(QStringLiteral("HOME"), root);
    m_environment.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
    m_environment.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
    return QString();
}

QString WaylandSession::startBus()
{
    QProcess* bus = launch(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                           QStringLiteral("--print-address=1")});
    if (bus == nullptr || !bus->waitForReadyRead(5000)) {
        return QStringLiteral("the session D-Bus (dbus-daemon) could not be started");
    }
    m_environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QString::fromUtf8(bus->readLine()).trimmed());
    return QString();
}

QString WaylandSession::startAccessibilityBus()
{
    if (!QFileInfo(kAccessibilityLauncher).isExecutable()) {
        return QStringLiteral("the AT-SPI bus launcher (at-spi2-core) is not installed");
    }
    if (launch(kAccessibilityLauncher, {QStringLiteral("--launch-immediately")}) == nullptr) {
        return QStringLiteral("the AT-SPI bus launcher could not be started");
    }
    // Asked before the launcher owns its name, the bus would start a second one by activation.
    const bool owned = waitFor(
        [this] {
            return run(QStringLiteral("dbus-send"),
                       {QStringLiteral("--session"), QStringLiteral("--print-reply"),
                        QStringLiteral("--dest=org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                        QStringLiteral("org.freedesktop.DBus.NameHasOwner"), QStringLiteral("string:org.a11y.Bus")})
                .contains("boolean true");
        },
        10000);
    if (!owned) {
        return QStringLiteral("the AT-SPI bus launcher did not take its name on the session bus");
    }
    // Some toolkits expose themselves only while accessibility is switched on.
    const QByteArray enabled =
        run(QStringLiteral("dbus-send"),
            {QStringLiteral("--session"), QStringLiteral("--print-reply"), QStringLiteral("--dest=org.a11y.Bus"),
             QStringLiteral("/org/a11y/bus"), QStringLiteral("org.freedesktop.DBus.Properties.Set"),
             QStringLiteral("string:org.a11y.Status"), QStringLiteral("string:IsEnabled"),
             QStringLiteral("variant:boolean:true")});
    if (!enabled.contains("method return")) {
        return QStringLiteral("the AT-SPI bus could not be switched on");
    }
    return QString();
}

void WaylandSession::setVariable(const QString& name, const QString& value)
{
    m_environment.insert(name, value);
}

QProcess* WaylandSession::launch(const QString& program, const QStringList& arguments,
                                 const QProcessEnvironment& variables)
{
    QProcessEnvironment environment = m_environment;
    environment.insert(variables);
    return m_processes.launch(program, arguments, environment);
}

QByteArray WaylandSession::run(const QString& program, const QStringList& arguments, int timeoutMs) const
{
    return SessionProcesses::run(program, arguments, m_environment, timeoutMs);
}

WaylandSession::WaylandSession()
    : m_processes(m_root.path())
{
}

WaylandSession::~WaylandSession()
{
    // The compositor's own connections (the virtual input devices) close before it ends.
    m_compositor.reset();
    m_processes.stopAll();
}

} // namespace quillora::test
