#include "platform/linux/session/SessionProbe.h"
#include "platform/linux/session/RegistryScan.h"
#include "platform/linux/session/SocketReachability.h"

#include <gtest/gtest.h>

#include <QLocalServer>
#include <QTemporaryDir>

namespace quillora {
namespace {

SessionEnvironment environment(QString waylandDisplay, QString sessionType, QString display)
{
    SessionEnvironment result;
    result.waylandDisplay = std::move(waylandDisplay);
    result.sessionType = std::move(sessionType);
    result.display = std::move(display);
    return result;
}

TEST(SessionProbeTest, AnAnsweringWaylandDisplayWinsAndAStaleOneGivesWayToX11)
{
    const struct
    {
        SessionEnvironment environment;
        bool waylandAnswers;
        SessionKind kind;
    } rows[] = {
        {environment("wayland-1", "wayland", ":0"), true, SessionKind::Wayland},
        {environment("", "wayland", ""), true, SessionKind::Wayland},
        {environment("", "WAYLAND", ""), true, SessionKind::Wayland},
        // Inherited into an X11 session (over ssh, in tmux): the X server still works.
        {environment("wayland-1", "x11", ":0"), false, SessionKind::X11},
        {environment("", "x11", ":1"), false, SessionKind::X11},
        {environment("", "", ":1"), false, SessionKind::X11},
        // A Wayland session whose compositor is gone stays Wayland, with nothing available.
        {environment("wayland-1", "wayland", ""), false, SessionKind::Wayland},
        {environment("", "tty", ""), false, SessionKind::None},
        {environment("", "x11", ""), false, SessionKind::None},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(SessionProbe::sessionKind(row.environment, row.waylandAnswers), row.kind)
            << row.environment.waylandDisplay.toStdString() << " | " << row.environment.sessionType.toStdString()
            << " | " << row.environment.display.toStdString() << " answers " << row.waylandAnswers;
    }
}

TEST(SessionProbeTest, TheCompositorsOwnGlobalsOutweighTheEnvironment)
{
    const QStringList swayGlobals{"wl_seat", "zwlr_layer_shell_v1", "org_kde_kwin_server_decoration_manager",
                                  "org_kde_kwin_idle"};
    const QStringList kwinGlobals{"wl_seat", "org_kde_plasma_shell", "org_kde_kwin_server_decoration_manager"};
    const QStringList mutterGlobals{"wl_seat", "gtk_shell1"};
    const auto desktop = [](QString names, QString swaySocket = {}) {
        SessionEnvironment result;
        result.currentDesktop = std::move(names);
        result.swaySocket = std::move(swaySocket);
        return result;
    };
    const struct
    {
        SessionEnvironment environment;
        QStringList globals;
        CompositorKind kind;
    } rows[] = {
        {desktop("sway", "/run/user/1000/sway-ipc.sock"), swayGlobals, CompositorKind::Sway},
        {desktop("", "/run/user/1000/sway-ipc.sock"), swayGlobals, CompositorKind::Sway},
        {desktop("sway"), swayGlobals, CompositorKind::Sway},
        {desktop("KDE"), kwinGlobals, CompositorKind::KWin},
        {desktop(""), kwinGlobals, CompositorKind::KWin},
        {desktop("ubuntu:GNOME"), mutterGlobals, CompositorKind::GnomeShell},
        {desktop(""), mutterGlobals, CompositorKind::GnomeShell},
        // KDE globals in sway's list do not make it KWin.
        {desktop("", ""), swayGlobals, CompositorKind::Other},
        // A nested compositor, or a terminal started from another session, inherits the variables.
        {desktop("sway", "/run/user/1000/sway-ipc.sock"), kwinGlobals, CompositorKind::KWin},
        {desktop("KDE"), mutterGlobals, CompositorKind::GnomeShell},
        {desktop("KDE"), {}, CompositorKind::KWin},
        {desktop("GNOME-Classic:GNOME"), {}, CompositorKind::GnomeShell},
        {desktop("Hyprland"), {}, CompositorKind::Other},
        {desktop("XFCE:KDEish"), {}, CompositorKind::Other},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(SessionProbe::compositorKind(row.environment, row.globals), row.kind)
            << row.environment.currentDesktop.toStdString() << " | " << row.globals.join(',').toStdString();
    }
}

TEST(SessionProbeTest, XDisplayNamesLeadToTheirSockets)
{
    using Kind = XDisplayAddress::Kind;
    const struct
    {
        const char* display;
        XDisplayAddress address;
    } rows[] = {
        {":0", {Kind::Local, "/tmp/.X11-unix/X0"}},
        {":12.1", {Kind::Local, "/tmp/.X11-unix/X12"}},
        {"unix:3", {Kind::Local, "/tmp/.X11-unix/X3"}},
        {"/tmp/launch-x1/org.xquartz:0", {Kind::Local, "/tmp/launch-x1/org.xquartz:0"}},
        {"localhost:10.0", {Kind::Remote, {}}},
        {"[::1]:2", {Kind::Remote, {}}},
        {"", {}},
        {":", {}},
        {":x", {}},
        {"wayland-0", {}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(SocketReachability::parseXDisplay(QString::fromUtf8(row.display)), row.address) << row.display;
    }
}

TEST(SessionProbeTest, OnlyAListeningSocketAccepts)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("listening"));
    EXPECT_FALSE(SocketReachability::accepts(path));
    QLocalServer server;
    ASSERT_TRUE(server.listen(path));
    EXPECT_TRUE(SocketReachability::accepts(path));
    server.close();
    EXPECT_FALSE(SocketReachability::accepts(path));
    EXPECT_FALSE(SocketReachability::accepts(folder.path()));
    EXPECT_FALSE(SocketReachability::accepts(QString(200, QLatin1Char('x'))));
    EXPECT_FALSE(SocketReachability::xDisplayReachable(QStringLiteral(":4711")));
    EXPECT_TRUE(SocketReachability::xDisplayReachable(QStringLiteral("otherhost:0")));
}

TEST(SessionProbeTest, AnUnreachableWaylandDisplayIsReportedAsNotAnswering)
{
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    EXPECT_EQ(RegistryScan::globals(QStringLiteral("wayland-nobody"), 100), std::nullopt);

    SessionEnvironment nothing = environment("wayland-nobody", "wayland", "");
    const SessionInfo info = SessionProbe::probe(nothing);
    EXPECT_EQ(info.kind, SessionKind::Wayland);
    EXPECT_FALSE(info.waylandAnswers);
    EXPECT_TRUE(info.waylandGlobals.isEmpty());
    EXPECT_FALSE(info.accessibilityBus);
    qputenv("XDG_RUNTIME_DIR", savedRuntime);
}

} // namespace
} // namespace quillora
