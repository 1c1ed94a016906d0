#include "SwayCompositor.h"

#include "WaylandSession.h"
#include "WlrVirtualPointer.h"
#include "XwaylandWindows.h"
#include "support/WaitFor.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

#include <unistd.h>

namespace quillora::test {

namespace {

const QSize kScreen(1920, 1080);
// The keyboard only has to exist while the test runs: the session ends it.
const QString kKeyboardLifetimeMs = QStringLiteral("3600000");

QString socketIn(const QString& runtime, const QString& pattern)
{
    const QStringList names = QDir(runtime).entryList({pattern}, QDir::System);
    return names.isEmpty() ? QString() : names.constFirst();
}

} // namespace

SwayCompositor::SwayCompositor() = default;
SwayCompositor::~SwayCompositor() = default;

QString SwayCompositor::writeConfig(const QString& displayFile) const
{
    const QString path = m_session->scratchPath() + QStringLiteral("/sway.conf");
    QFile config(path);
    if (!config.open(QIODevice::WriteOnly)) {
        return QString();
    }
    config.write(QStringLiteral("output HEADLESS-1 resolution %1x%2 position 0 0\n"
                                "focus_follows_mouse no\n"
                                "default_border none\n"
                                "default_floating_border none\n"
                                "xwayland force\n"
                                // sway knows the Xwayland display before Xwayland answers on it.
                                "exec printenv DISPLAY > %3\n")
                     .arg(kScreen.width())
                     .arg(kScreen.height())
                     .arg(displayFile)
                     .toUtf8());
    return path;
}

QString SwayCompositor::start(WaylandSession& session)
{
    m_session = &session;
    if (QStandardPaths::findExecutable(QStringLiteral("sway")).isEmpty()) {
        return QStringLiteral("sway is not installed");
    }
    if (geteuid() == 0) {
        return QStringLiteral("sway refuses to run as root: run the test through RunAsSessionUser.sh");
    }
    if (QStandardPaths::findExecutable(QStringLiteral("wtype")).isEmpty()) {
        return QStringLiteral("wtype is not installed: without a virtual keyboard no window gets keyboard focus");
    }
    const QString displayFile = session.scratchPath() + QStringLiteral("/xwayland-display");
    const QString config = writeConfig(displayFile);
    if (config.isEmpty()) {
        return QStringLiteral("the sway configuration could not be written");
    }
    QProcessEnvironment variables;
    variables.insert(QStringLiteral("WLR_BACKENDS"), QStringLiteral("headless"));
    variables.insert(QStringLiteral("WLR_LIBINPUT_NO_DEVICES"), QStringLiteral("1"));
    variables.insert(QStringLiteral("WLR_RENDERER"), QStringLiteral("pixman"));
    QProcess* sway = session.launch(QStringLiteral("sway"), {QStringLiteral("-c"), config}, variables);
    if (sway == nullptr) {
        return QStringLiteral("sway could not be started");
    }
    QString wayland;
    QString ipc;
    const bool listening = waitFor(
        [&] {
            wayland = socketIn(session.runtimePath(), QStringLiteral("wayland-?"));
            ipc = socketIn(session.runtimePath(), QStringLiteral("sway-ipc.*.sock"));
            return (!wayland.isEmpty() && !ipc.isEmpty()) || sway->state() != QProcess::Running;
        },
        10000);
    if (!listening || sway->state() != QProcess::Running) {
        return QStringLiteral("sway did not start (see sway.log with QUILLORA_KEEP_DESKTOP_LOGS=1)");
    }
    session.setVariable(QStringLiteral("WAYLAND_DISPLAY"), wayland);
    session.setVariable(QStringLiteral("SWAYSOCK"), session.runtimePath() + QLatin1Char('/') + ipc);
    session.setVariable(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("sway"));

    QString display;
    const bool xwayland = waitFor(
        [&] {
            QFile file(displayFile);
            display = file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).trimmed() : QString();
            return !display.isEmpty() && XwaylandWindows::answers(display.toUtf8());
        },
        15000);
    if (!xwayland) {
        return QStringLiteral("sway's Xwayland did not start");
    }
    session.setVariable(QStringLiteral("DISPLAY"), display);

    if (session.launch(QStringLiteral("wtype"), {QStringLiteral("-s"), kKeyboardLifetimeMs}) == nullptr ||
        !waitFor(
            [&] {
                return session.run(QStringLiteral("swaymsg"), {QStringLiteral("-t"), QStringLiteral("get_inputs")})
                    .contains("\"type\": \"keyboard\"");
            },
            5000)) {
        return QStringLiteral("sway's seat got no virtual keyboard");
    }
    m_pointer = WlrVirtualPointer::create(session.runtimePath() + QLatin1Char('/') + wayland, kScreen);
    if (!m_pointer) {
        return QStringLiteral("sway offers no virtual pointer");
    }
    return QString();
}

void SwayCompositor::collect(const QJsonObject& node, std::vector<WindowOnScreen>& windows) const
{
    if (node.contains(QLatin1String("pid")) && node.value(QLatin1String("visible")).toBool()) {
        // The view's content lies at its rectangle plus the window's place inside it; the surface
        // starts before that by the window geometry's offset (client-side shadows).
        const QJsonObject rect = node.value(QLatin1String("rect")).toObject();
        const QJsonObject inner = node.value(QLatin1String("window_rect")).toObject();
        const QJsonObject geometry = node.value(QLatin1String("geometry")).toObject();
        const auto at = [](const QJsonObject& object, const char* key) {
            return object.value(QLatin1String(key)).toInt();
        };
        WindowOnScreen window;
        window.pid = qint64(node.value(QLatin1String("pid")).toDouble());
        window.title = node.value(QLatin1String("name")).toString();
        window.surface =
            QRect(at(rect, "x") + at(inner, "x") - at(geometry, "x"),
                  at(rect, "y") + at(inner, "y") - at(geometry, "y"), at(geometry, "width"), at(geometry, "height"));
        window.focused = node.value(QLatin1String("focused")).toBool();
        windows.push_back(window);
    }
    for (const char* key : {"nodes", "floating_nodes"}) {
        for (const QJsonValue child : node.value(QLatin1String(key)).toArray()) {
            collect(child.toObject(), windows);
        }
    }
}

std::vector<WindowOnScreen> SwayCompositor::windows()
{
    std::vector<WindowOnScreen> windows;
    const QByteArray tree =
        m_session->run(QStringLiteral("swaymsg"), {QStringLiteral("-t"), QStringLiteral("get_tree")});
    collect(QJsonDocument::fromJson(tree).object(), windows);
    return windows;
}

VirtualPointer& SwayCompositor::pointer()
{
    return *m_pointer;
}

} // namespace quillora::test
