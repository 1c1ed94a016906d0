#include "KWinCompositor.h"

#include "KWinScripts.h"
#include "KdeFakePointer.h"
#include "WaylandSession.h"
#include "XwaylandWindows.h"
#include "support/WaitFor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace quillora::test {

namespace {

const QString kSocket = QStringLiteral("quillora-kwin");

QString readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).trimmed() : QString();
}

} // namespace

KWinCompositor::KWinCompositor() = default;
KWinCompositor::~KWinCompositor() = default;

bool KWinCompositor::offerFakeInputToThisProgram() const
{
    // KWin offers fake input only to an executable that an installed desktop entry runs.
    const QString program = QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).canonicalFilePath();
    const QString folder =
        m_session->environment().value(QStringLiteral("XDG_DATA_HOME")) + QStringLiteral("/applications");
    QDir().mkpath(folder);
    QFile entry(folder + QStringLiteral("/quillora-wayland-tests.desktop"));
    if (program.isEmpty() || !entry.open(QIODevice::WriteOnly)) {
        return false;
    }
    entry.write(QStringLiteral("[Desktop Entry]\n"
                               "Type=Application\n"
                               "Name=Quillora end-to-end tests\n"
                               "Exec=%1\n"
                               "NoDisplay=true\n"
                               "X-KDE-Wayland-Interfaces=org_kde_kwin_fake_input\n")
                    .arg(program)
                    .toUtf8());
    return true;
}

QString KWinCompositor::start(WaylandSession& session)
{
    m_session = &session;
    QString kwin = QStandardPaths::findExecutable(QStringLiteral("kwin_wayland"));
    if (kwin.isEmpty()) {
        return QStringLiteral("KWin (kwin_wayland) is not installed");
    }
    if (!offerFakeInputToThisProgram()) {
        return QStringLiteral("the desktop entry for KWin's fake input could not be written");
    }
    // KWin starts the programs given after its options once Xwayland runs, with DISPLAY set.
    const QString displayFile = session.scratchPath() + QStringLiteral("/xwayland-display");
    const QStringList arguments{QStringLiteral("--virtual"),
                                QStringLiteral("--width"),
                                QStringLiteral("1920"),
                                QStringLiteral("--height"),
                                QStringLiteral("1080"),
                                QStringLiteral("--no-lockscreen"),
                                QStringLiteral("--no-global-shortcuts"),
                                QStringLiteral("--no-kactivities"),
                                QStringLiteral("--socket"),
                                kSocket,
                                QStringLiteral("--xwayland"),
                                QStringLiteral("/bin/sh -c \"printenv DISPLAY > %1\"").arg(displayFile)};
    QProcess* process = session.launch(kwin, arguments);
    if (process == nullptr) {
        // The installed binary carries a file capability (cap_sys_resource) that a container may
        // not grant, and then it does not even start; a copy without it runs. The copy keeps its
        // name: KWin uses its own Qt platform plugin only in a program called kwin_wayland.
        const QString copy = session.scratchPath() + QStringLiteral("/kwin/kwin_wayland");
        QDir().mkpath(QFileInfo(copy).path());
        if (!QFile::copy(kwin, copy)) {
            return QStringLiteral("KWin cannot be started here, nor a copy of it made");
        }
        process = session.launch(copy, arguments);
        if (process == nullptr) {
            return QStringLiteral("KWin cannot be started here");
        }
    }
    QString display;
    const bool started = waitFor(
        [&] {
            display = readFile(displayFile);
            return (!display.isEmpty() && XwaylandWindows::answers(display.toUtf8())) ||
                   process->state() != QProcess::Running;
        },
        20000);
    if (!started || process->state() != QProcess::Running ||
        !QFileInfo::exists(session.runtimePath() + QLatin1Char('/') + kSocket)) {
        return QStringLiteral("KWin did not start with Xwayland (see kwin_wayland.log with "
                              "QUILLORA_KEEP_DESKTOP_LOGS=1)");
    }
    session.setVariable(QStringLiteral("WAYLAND_DISPLAY"), kSocket);
    session.setVariable(QStringLiteral("DISPLAY"), display);
    session.setVariable(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("KDE"));
    m_pointer = KdeFakePointer::create(session.runtimePath() + QLatin1Char('/') + kSocket);
    if (!m_pointer) {
        return QStringLiteral("KWin does not offer fake input to this program");
    }
    m_scripts = std::make_unique<KWinScripts>(session.scratchPath());
    return QString();
}

std::vector<WindowOnScreen> KWinCompositor::windows()
{
    // The buffer's geometry is the surface's, which the toolkit's window coordinates start at.
    return windowsFromScript(m_scripts->evaluate(QStringLiteral(
        "return workspace.clientList().filter(window => !window.minimized).map(window => ({\n"
        "    pid: window.pid, title: window.caption, x: window.bufferGeometry.x, y: window.bufferGeometry.y,\n"
        "    width: window.bufferGeometry.width, height: window.bufferGeometry.height,\n"
        "    focused: window === workspace.activeClient}));")));
}

VirtualPointer& KWinCompositor::pointer()
{
    return *m_pointer;
}

} // namespace quillora::test
