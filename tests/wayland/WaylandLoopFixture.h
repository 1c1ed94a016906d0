#pragma once

#include "Compositor.h"
#include "WaylandDesktopTest.h"
#include "WaylandSession.h"
#include "XwaylandWindows.h"
#include "support/WaitFor.h"

#include <QFileInfo>
#include <QTcpServer>
#include <QTcpSocket>

#include <optional>
#include <string>

namespace quillora::test {

/** A program under test: from the build tree, or from where the environment variable `name` says. */
inline QString programPath(const char* name, const char* built)
{
    const QString chosen = qEnvironmentVariable(name);
    return chosen.isEmpty() ? QString::fromUtf8(built) : chosen;
}

/**
 * A Wayland session with the reference service and the desktop program running in it, started
 * once for a whole suite: the program's log lines go to the session's logs.
 */
class WaylandLoopFixture : public WaylandDesktopTest
{
protected:
    static void SetUpTestSuite()
    {
        const QString server = programPath("QUILLORA_SERVER_PROGRAM", QUILLORA_SERVER_PROGRAM);
        const QString program = programPath("QUILLORA_DESKTOP_PROGRAM", QUILLORA_DESKTOP_PROGRAM);
        for (const QString& path : {server, program}) {
            ASSERT_TRUE(QFileInfo(path).isExecutable()) << path.toStdString() << " is not built, or not readable";
        }
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        const quint16 port = probe.serverPort();
        probe.close();
        s_server = session().launch(server, {QStringLiteral("--listen"), QStringLiteral("127.0.0.1:%1").arg(port),
                                             QStringLiteral("--engine"), QStringLiteral("rules"),
                                             QStringLiteral("--mode"), QStringLiteral("local")});
        ASSERT_NE(s_server, nullptr);
        ASSERT_TRUE(waitFor(
            [port] {
                QTcpSocket socket;
                socket.connectToHost(QHostAddress::LocalHost, port);
                return socket.waitForConnected(100);
            },
            // Loading the dictionaries takes seconds in a debug or sanitized build on a busy machine.
            60000))
            << "the reference service did not start";

        QProcessEnvironment variables;
        // The program's own log lines, kept with the session's logs (QUILLORA_KEEP_DESKTOP_LOGS).
        variables.insert(QStringLiteral("QUILLORA_DEBUG_LOG"), QStringLiteral("1"));
        variables.insert(QStringLiteral("QUILLORA_BACKEND_URL"), QStringLiteral("http://127.0.0.1:%1").arg(port));
        // Its floating windows stay where it puts them only as X11 windows, through Xwayland.
        variables.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        s_program = session().launch(program, {QStringLiteral("--uitesting")}, variables);
        ASSERT_NE(s_program, nullptr);
        s_programPid = s_program->processId();
        // The program shows its history window at once and starts tracking as soon as its
        // permission gate finds the desktop trusted (when the window is shown, then once a second).
        ASSERT_TRUE(waitFor(
            [] {
                return accessibility()
                    .find(s_programPid,
                          [](const Accessible& element) {
                              return accessibility().roleName(element) == QLatin1String("frame");
                          })
                    .has_value();
            },
            20000))
            << "the desktop program did not show its history window";
        // The history window stays where the compositor puts it, as it would for a user.
        pause(1500);
    }

    static void TearDownTestSuite()
    {
        for (QProcess* process : {s_program, s_server}) {
            if (process != nullptr) {
                process->terminate();
                process->waitForFinished(3000);
            }
        }
        s_program = nullptr;
        s_server = nullptr;
    }

    /** The program's floating window called `name` (override-redirect, on Xwayland), if it shows one. */
    static std::optional<XWindow> floatingWindow(const QString& name)
    {
        for (const XWindow& window : XwaylandWindows::of(s_programPid)) {
            if (window.overrideRedirect && window.name == name) {
                return window;
            }
        }
        return std::nullopt;
    }

    /** The program's X11 windows, for messages. */
    static std::string xWindowsOfProgram()
    {
        QStringList windows;
        for (const XWindow& window : XwaylandWindows::of(s_programPid)) {
            windows << QStringLiteral("\"%1\"%2 at %3,%4 %5x%6")
                           .arg(window.name,
                                window.overrideRedirect ? QStringLiteral(" (override-redirect)") : QString())
                           .arg(window.geometry.x())
                           .arg(window.geometry.y())
                           .arg(window.geometry.width())
                           .arg(window.geometry.height());
        }
        return windows.isEmpty() ? std::string("no X11 window at the root")
                                 : windows.join(QStringLiteral(", ")).toStdString();
    }

    static inline QProcess* s_server = nullptr;
    static inline QProcess* s_program = nullptr;
    static inline qint64 s_programPid = 0;
};

} // namespace quillora::test
