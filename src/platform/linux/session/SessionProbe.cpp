#include "platform/linux/session/SessionProbe.h"

#include "platform/linux/session/RegistryScan.h"
#include "platform/linux/session/SocketReachability.h"

#include <QDBusConnection>
#include <QDBusMessage>

#include <algorithm>
#include <initializer_list>

namespace quillora {

namespace {

bool namesWayland(const SessionEnvironment& environment)
{
    return !environment.waylandDisplay.isEmpty() ||
           environment.sessionType.compare(QLatin1String("wayland"), Qt::CaseInsensitive) == 0;
}

bool desktopNamed(const SessionEnvironment& environment, QLatin1String name)
{
    const QStringList names = environment.currentDesktop.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    return std::any_of(names.cbegin(), names.cend(),
                       [name](const QString& entry) { return entry.compare(name, Qt::CaseInsensitive) == 0; });
}

bool offersAny(const QStringList& globals, std::initializer_list<const char*> interfaceNames)
{
    return std::any_of(interfaceNames.begin(), interfaceNames.end(),
                       [&globals](const char* name) { return globals.contains(QLatin1String(name)); });
}

// KWin's scripting interface answers an introspection of /Scripting; without KWin the bus answers
// at once that nobody owns the name.
bool kwinScriptingOnBus(int timeoutMs)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return false;
    }
    QDBusMessage introspect = QDBusMessage::createMethodCall(
        QStringLiteral("org.kde.KWin"), QStringLiteral("/Scripting"),
        QStringLiteral("org.freedesktop.DBus.Introspectable"), QStringLiteral("Introspect"));
    introspect.setAutoStartService(false);
    const QDBusMessage reply = bus.call(introspect, QDBus::Block, timeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           reply.arguments().constFirst().toString().contains(QLatin1String("org.kde.kwin.Scripting"));
}

} // namespace

SessionEnvironment SessionEnvironment::current()
{
    return {qEnvironmentVariable("WAYLAND_DISPLAY"), qEnvironmentVariable("XDG_SESSION_TYPE"),
            qEnvironmentVariable("DISPLAY"), qEnvironmentVariable("XDG_CURRENT_DESKTOP"),
            qEnvironmentVariable("SWAYSOCK")};
}

SessionInfo SessionProbe::probe()
{
    return probe(SessionEnvironment::current());
}

SessionInfo SessionProbe::probe(const SessionEnvironment& environment)
{
    SessionInfo info;
    info.desktopName = environment.currentDesktop;
    std::optional<QStringList> globals;
    if (namesWayland(environment)) {
        globals = RegistryScan::globals(environment.waylandDisplay, timeoutMs);
    }
    info.waylandAnswers = globals.has_value();
    info.kind = sessionKind(environment, info.waylandAnswers);
    info.xwayland = !environment.display.isEmpty() && SocketReachability::xDisplayReachable(environment.display);
    if (info.kind != SessionKind::Wayland) {
        return info;
    }
    info.waylandGlobals = globals.value_or(QStringList());
    info.compositor = compositorKind(environment, info.waylandGlobals);
    info.swayIpc = !environment.swaySocket.isEmpty() && SocketReachability::accepts(environment.swaySocket);
    info.kwinScripting = kwinScriptingOnBus(timeoutMs);
    return info;
}

SessionKind SessionProbe::sessionKind(const SessionEnvironment& environment, bool waylandAnswers)
{
    const bool wayland = namesWayland(environment);
    if (wayland && waylandAnswers) {
        return SessionKind::Wayland;
    }
    // A stale WAYLAND_DISPLAY (inherited into an X11 session, say) must not hide a working X server.
    if (!environment.display.isEmpty()) {
        return SessionKind::X11;
    }
    return wayland ? SessionKind::Wayland : SessionKind::None;
}

CompositorKind SessionProbe::compositorKind(const SessionEnvironment& environment, const QStringList& globals)
{
    // The globals describe the compositor this process talks to, even when the environment was
    // inherited from another session (a nested compositor, a terminal started elsewhere).
    if (offersAny(globals, {"org_kde_plasma_shell", "org_kde_kwin_shadow_manager", "kde_output_device_v2"})) {
        return CompositorKind::KWin;
    }
    // Mutter offers GTK's own shell integration; GNOME Shell and other Mutter shells are alike here.
    if (offersAny(globals, {"gtk_shell1"})) {
        return CompositorKind::GnomeShell;
    }
    if (!environment.swaySocket.isEmpty() || desktopNamed(environment, QLatin1String("sway"))) {
        return CompositorKind::Sway;
    }
    if (desktopNamed(environment, QLatin1String("KDE"))) {
        return CompositorKind::KWin;
    }
    if (desktopNamed(environment, QLatin1String("GNOME"))) {
        return CompositorKind::GnomeShell;
    }
    return CompositorKind::Other;
}

} // namespace quillora
