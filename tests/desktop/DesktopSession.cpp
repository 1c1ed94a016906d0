#include "DesktopSession.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>

#include <csignal>
#include <cstdio>
#include <functional>
#include <sys/prctl.h>
#include <sys/types.h>
#include <unistd.h>

// X11 headers come last: their macros (None, Bool, Status) clash with Qt's.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace quillora::test {

namespace {

bool waitFor(const std::function<bool()>& condition, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (condition()) {
            return true;
        }
        QThread::msleep(20);
    }
    return condition();
}

bool displayAnswers(const QByteArray& name)
{
    Display* display = XOpenDisplay(name.constData());
    if (display == nullptr) {
        return false;
    }
    XCloseDisplay(display);
    return true;
}

bool windowManagerRuns(const QByteArray& name)
{
    Display* display = XOpenDisplay(name.constData());
    if (display == nullptr) {
        return false;
    }
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, XA_WINDOW, &type, &format, &count,
                       &remaining, &data);
    const bool runs = data != nullptr && count == 1;
    if (data != nullptr) {
        XFree(data);
    }
    XCloseDisplay(display);
    return runs;
}

} // namespace

std::unique_ptr<DesktopSession> DesktopSession::start(QString* whyNot)
{
    std::unique_ptr<DesktopSession> session(new DesktopSession);
    // For a failing test the logs of the session's programs can be kept.
    if (qEnvironmentVariableIsSet("QUILLORA_KEEP_DESKTOP_LOGS")) {
        session->m_root.setAutoRemove(false);
        std::fprintf(stderr, "desktop session logs in %s\n", qPrintable(session->m_root.path()));
    }
    QString failure;
    if (!session->m_root.isValid()) {
        failure = QStringLiteral("no temporary folder");
    }
    if (failure.isEmpty()) {
        failure = session->startServer();
    }
    if (failure.isEmpty()) {
        failure = session->startBus();
    }
    if (failure.isEmpty()) {
        failure = session->startWindowManager();
    }
    if (!failure.isEmpty()) {
        if (whyNot != nullptr) {
            *whyNot = failure;
        }
        return nullptr;
    }
    // This process joins the session too: Qt, Xlib and libatspi read these when they start.
    for (const QString& key : session->m_environment.keys()) {
        if (key.startsWith(QLatin1String("XDG_")) || key == QLatin1String("DISPLAY") ||
            key == QLatin1String("DBUS_SESSION_BUS_ADDRESS") || key == QLatin1String("QT_QPA_PLATFORM") ||
            key == QLatin1String("GDK_BACKEND")) {
            qputenv(key.toUtf8().constData(), session->m_environment.value(key).toUtf8());
        }
    }
    qunsetenv("AT_SPI_BUS_ADDRESS");
    qunsetenv("WAYLAND_DISPLAY");
    if (qEnvironmentVariableIsSet("QUILLORA_KEEP_DESKTOP_LOGS")) {
        std::fprintf(stderr, "desktop session on display %s\n", qPrintable(qEnvironmentVariable("DISPLAY")));
    }
    return session;
}

QString DesktopSession::startServer()
{
    if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()) {
        return QStringLiteral("Xvfb is not installed");
    }
    const QString root = m_root.path();
    for (const char* folder : {"runtime", "config", "data", "cache"}) {
        QDir(root).mkpath(QString::fromLatin1(folder));
    }
    QFile::setPermissions(root + QStringLiteral("/runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    m_environment = QProcessEnvironment::systemEnvironment();
    m_environment.remove(QStringLiteral("AT_SPI_BUS_ADDRESS"));
    m_environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    m_environment.remove(QStringLiteral("SESSION_MANAGER"));
    m_environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), root + QStringLiteral("/runtime"));
    m_environment.insert(QStringLiteral("XDG_CONFIG_HOME"), root + QStringLiteral("/config"));
    m_environment.insert(QStringLiteral("XDG_DATA_HOME"), root + QStringLiteral("/data"));
    m_environment.insert(QStringLiteral("XDG_CACHE_HOME"), root + QStringLiteral("/cache"));
    m_environment.insert(QStringLiteral("HOME"), root);
    m_environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    m_environment.insert(QStringLiteral("GDK_BACKEND"), QStringLiteral("x11"));
    m_environment.remove(QStringLiteral("NO_AT_BRIDGE"));

    // Xvfb picks a display no other server holds (their sockets may be invisible from here, in
    // the abstract namespace) and writes its number to standard output.
    QProcess* server =
        launch(QStringLiteral("Xvfb"),
               {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"), QStringLiteral("0"),
                QStringLiteral("1920x1080x24"), QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    if (server == nullptr) {
        return QStringLiteral("Xvfb could not be started");
    }
    if (!waitFor(
            [&] {
                server->waitForReadyRead(50);
                return server->canReadLine() || server->state() != QProcess::Running;
            },
            10000) ||
        !server->canReadLine()) {
        return QStringLiteral("Xvfb did not start");
    }
    const QString display = QLatin1Char(':') + QString::fromUtf8(server->readLine()).trimmed();
    if (!displayAnswers(display.toUtf8())) {
        return QStringLiteral("Xvfb does not answer on %1").arg(display);
    }
    m_environment.insert(QStringLiteral("DISPLAY"), display);
    return QString();
}

QString DesktopSession::startBus()
{
    QProcess* bus = launch(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                           QStringLiteral("--print-address=1")});
    if (bus == nullptr || !bus->waitForReadyRead(5000)) {
        return QStringLiteral("the session D-Bus (dbus-daemon) could not be started");
    }
    const QString address = QString::fromUtf8(bus->readLine()).trimmed();
    m_environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
    // Switching accessibility on starts the AT-SPI bus; applications started later expose themselves.
    const QByteArray enabled =
        run(QStringLiteral("dbus-send"),
            {QStringLiteral("--session"), QStringLiteral("--print-reply"), QStringLiteral("--dest=org.a11y.Bus"),
             QStringLiteral("/org/a11y/bus"), QStringLiteral("org.freedesktop.DBus.Properties.Set"),
             QStringLiteral("string:org.a11y.Status"), QStringLiteral("string:IsEnabled"),
             QStringLiteral("variant:boolean:true")},
            10000);
    if (!enabled.contains("method return")) {
        return QStringLiteral("the AT-SPI bus (at-spi2-core) did not start");
    }
    return QString();
}

QString DesktopSession::startWindowManager()
{
    const QByteArray display = m_environment.value(QStringLiteral("DISPLAY")).toUtf8();
    // openbox now and then gives up at start on a busy machine; it is given a few chances.
    int exitCode = 0;
    for (int attempt = 0; attempt < 3; ++attempt) {
        QProcess* manager = launch(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
        if (manager == nullptr) {
            return QStringLiteral("openbox could not be started");
        }
        const bool runs = waitFor([&] { return manager->waitForFinished(20) || windowManagerRuns(display); }, 10000);
        if (runs && manager->state() == QProcess::Running) {
            return QString();
        }
        exitCode = manager->exitCode();
        manager->kill();
        manager->waitForFinished(1000);
    }
    return QStringLiteral("openbox did not take over the display (exit code %1)").arg(exitCode);
}

QProcess* DesktopSession::launch(const QString& program, const QStringList& arguments,
                                 const QProcessEnvironment& variables)
{
    QProcessEnvironment environment = m_environment;
    environment.insert(variables);
    return m_processes.launch(program, arguments, environment);
}

QByteArray DesktopSession::run(const QString& program, const QStringList& arguments, int timeoutMs) const
{
    return SessionProcesses::run(program, arguments, m_environment, timeoutMs);
}

DesktopSession::~DesktopSession()
{
    m_processes.stopAll();
}

} // namespace quillora::test
