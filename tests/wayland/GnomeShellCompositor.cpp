#include "GnomeShellCompositor.h"

#include "MutterRemoteDesktop.h"
#include "WaylandSession.h"
#include "XwaylandWindows.h"
#include "support/WaitFor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStandardPaths>

// GIO names a structure member "signals", which Qt defines as a keyword.
#undef signals
#include <gio/gio.h>

namespace quillora::test {

namespace {

const QSize kScreen(1920, 1080);
const QString kSocket = QStringLiteral("quillora-gnome");
constexpr int kEvalTimeoutMs = 5000;

// Plain windows as a person sees them; override-redirect ones (menus, Quillora's own floating
// windows) are Xwayland's business.
const QString kWindowsScript =
    QStringLiteral("global.get_window_actors().map(actor => actor.meta_window)\n"
                   "    .filter(window => !window.minimized && !window.is_override_redirect())\n"
                   "    .map(window => { const surface = window.get_buffer_rect();\n"
                   "        return {pid: window.get_pid(), title: window.get_title(), x: surface.x, y: surface.y,\n"
                   "                width: surface.width, height: surface.height, focused: window.has_focus()}; })");

/** A JSON value that is a string, as the shell's Eval gives it; empty for anything else. */
QString jsonString(const std::optional<QString>& json)
{
    return json ? QJsonDocument::fromJson("[" + json->toUtf8() + "]").array().at(0).toString() : QString();
}

} // namespace

const QString GnomeShellCompositor::kExtensionUuid = QStringLiteral("quillora-companion@tessel.com");

GnomeShellCompositor::GnomeShellCompositor()
    : m_bus(nullptr, g_object_unref)
{
}

GnomeShellCompositor::~GnomeShellCompositor()
{
    // The remote-desktop session ends with the connection that made it.
    m_input.reset();
    if (m_bus) {
        g_dbus_connection_close_sync(m_bus.get(), nullptr, nullptr);
    }
}

QString GnomeShellCompositor::installExtension() const
{
    const QDir source(QStringLiteral(QUILLORA_GNOME_EXTENSION));
    const QString target = m_session->environment().value(QStringLiteral("XDG_DATA_HOME")) +
                           QStringLiteral("/gnome-shell/extensions/") + kExtensionUuid;
    QDir().mkpath(target);
    const QStringList files = source.entryList(QDir::Files);
    for (const QString& file : files) {
        if (!QFile::copy(source.filePath(file), target + QLatin1Char('/') + file)) {
            return QStringLiteral("the extension could not be copied from %1").arg(source.path());
        }
    }
    return files.isEmpty() ? QStringLiteral("no extension in %1").arg(source.path()) : QString();
}

QString GnomeShellCompositor::writeSettings() const
{
    // GSETTINGS_BACKEND=keyfile reads this one file instead of dconf.
    const QString folder =
        m_session->environment().value(QStringLiteral("XDG_CONFIG_HOME")) + QStringLiteral("/glib-2.0/settings");
    QDir().mkpath(folder);
    QFile settings(folder + QStringLiteral("/keyfile"));
    if (!settings.open(QIODevice::WriteOnly)) {
        return QStringLiteral("the GNOME settings could not be written");
    }
    // The top-left hot corner would swallow relative pointer motion; animations only slow a test
    // down; the welcome tour would take the focus.
    settings.write(QStringLiteral("[org/gnome/shell]\n"
                                  "disable-user-extensions=false\n"
                                  "enabled-extensions=['%1']\n"
                                  "welcome-dialog-last-shown-version='999'\n"
                                  "\n"
                                  "[org/gnome/desktop/interface]\n"
                                  "enable-hot-corners=false\n"
                                  "enable-animations=false\n")
                       .arg(kExtensionUuid)
                       .toUtf8());
    return QString();
}

QString GnomeShellCompositor::startSystemBus()
{
    // GNOME Shell crashes without a system bus where systemd's seat folder exists; an empty private
    // one answers its questions with "no such service".
    QProcess* bus =
        m_session->launch(QStringLiteral("dbus-daemon"),
                          {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1"),
                           QStringLiteral("--address=unix:path=%1/system_bus").arg(m_session->runtimePath())});
    if (bus == nullptr || !bus->waitForReadyRead(5000)) {
        return QStringLiteral("the private system bus (dbus-daemon) could not be started");
    }
    m_systemBus = QString::fromUtf8(bus->readLine()).trimmed();
    return QString();
}

QString GnomeShellCompositor::start(WaylandSession& session)
{
    m_session = &session;
    if (QStandardPaths::findExecutable(QStringLiteral("gnome-shell")).isEmpty()) {
        return QStringLiteral("GNOME Shell (gnome-shell) is not installed");
    }
    for (const QString& failure : {installExtension(), writeSettings(), startSystemBus()}) {
        if (!failure.isEmpty()) {
            return failure;
        }
    }
    session.setVariable(QStringLiteral("GSETTINGS_BACKEND"), QStringLiteral("keyfile"));
    QProcessEnvironment variables;
    variables.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), m_systemBus);
    QProcess* shell =
        session.launch(QStringLiteral("gnome-shell"),
                       {QStringLiteral("--headless"), QStringLiteral("--wayland"), QStringLiteral("--virtual-monitor"),
                        QStringLiteral("%1x%2").arg(kScreen.width()).arg(kScreen.height()),
                        QStringLiteral("--wayland-display"), kSocket, QStringLiteral("--unsafe-mode")},
                       variables);
    if (shell == nullptr) {
        return QStringLiteral("GNOME Shell could not be started");
    }
    const QString busAddress = session.environment().value(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    m_bus.reset(
        g_dbus_connection_new_for_address_sync(busAddress.toUtf8().constData(),
                                               GDBusConnectionFlags(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                                    G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
                                               nullptr, nullptr, nullptr));
    if (!m_bus) {
        return QStringLiteral("the session bus does not answer");
    }
    // The shell answers Eval early; it has loaded its extensions once it is no longer starting up.
    const bool started = waitFor(
        [&] {
            return evaluate(QStringLiteral("!Main.layoutManager._startingUp")) == QStringLiteral("true") ||
                   shell->state() != QProcess::Running;
        },
        60000);
    if (!started || shell->state() != QProcess::Running) {
        return QStringLiteral("GNOME Shell did not start (see gnome-shell.log with QUILLORA_KEEP_DESKTOP_LOGS=1)");
    }

    // Mutter starts Xwayland on the first X11 client, which needs Mutter's authority file.
    const QString display = jsonString(evaluate(QStringLiteral("GLib.getenv('DISPLAY')")));
    const QString authority = jsonString(evaluate(QStringLiteral("GLib.getenv('XAUTHORITY')")));
    if (display.isEmpty()) {
        return QStringLiteral("GNOME Shell runs without Xwayland");
    }
    qputenv("XAUTHORITY", authority.toUtf8());
    if (!waitFor([&] { return XwaylandWindows::answers(display.toUtf8()); }, 15000)) {
        return QStringLiteral("GNOME Shell's Xwayland did not start");
    }

    // The shell starts in the overview, where windows are shown as thumbnails.
    static_cast<void>(evaluate(QStringLiteral("Main.overview.hide()")));
    if (!waitFor([&] { return evaluate(QStringLiteral("Main.overview.visible")) == QStringLiteral("false"); }, 10000)) {
        return QStringLiteral("GNOME Shell stayed in the overview");
    }
    m_input = MutterRemoteDesktop::create(m_bus.get(), kScreen, [this]() -> std::optional<QPoint> {
        // [x, y, modifiers]
        const QJsonArray pointer =
            QJsonDocument::fromJson(evaluate(QStringLiteral("global.get_pointer()")).value_or(QString()).toUtf8())
                .array();
        if (pointer.size() < 2) {
            return std::nullopt;
        }
        return QPoint(pointer.at(0).toInt(), pointer.at(1).toInt());
    });
    if (!m_input) {
        return QStringLiteral("Mutter refused a remote-desktop session");
    }
    session.setVariable(QStringLiteral("WAYLAND_DISPLAY"), kSocket);
    session.setVariable(QStringLiteral("DISPLAY"), display);
    session.setVariable(QStringLiteral("XAUTHORITY"), authority);
    session.setVariable(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("GNOME"));
    // Mutter offers no server-side decorations, so Qt draws a title bar inside its surface while
    // reporting text positions from below it; the tests place the pointer from those positions
    // and the surface's origin, so the Qt editor runs without one. (Quillora itself places by the
    // pointer the extension reports, not by these positions.)
    session.setVariable(QStringLiteral("QT_WAYLAND_DISABLE_WINDOWDECORATION"), QStringLiteral("1"));
    return QString();
}

std::optional<QString> GnomeShellCompositor::evaluate(const QString& code) const
{
    GError* error = nullptr;
    GVariant* reply =
        g_dbus_connection_call_sync(m_bus.get(), "org.gnome.Shell", "/org/gnome/Shell", "org.gnome.Shell", "Eval",
                                    g_variant_new("(s)", code.toUtf8().constData()), G_VARIANT_TYPE("(bs)"),
                                    G_DBUS_CALL_FLAGS_NONE, kEvalTimeoutMs, nullptr, &error);
    if (reply == nullptr) {
        g_error_free(error);
        return std::nullopt;
    }
    gboolean succeeded = FALSE;
    const gchar* value = nullptr;
    g_variant_get(reply, "(b&s)", &succeeded, &value);
    std::optional<QString> result;
    if (succeeded) {
        result = QString::fromUtf8(value);
    }
    g_variant_unref(reply);
    return result;
}

std::vector<WindowOnScreen> GnomeShellCompositor::windows()
{
    // The buffer's rectangle is the surface's, client-side shadows included, where the toolkit's
    // window coordinates start.
    return windowsFromScript(evaluate(kWindowsScript));
}

VirtualPointer& GnomeShellCompositor::pointer()
{
    return *m_input;
}

MutterRemoteDesktop& GnomeShellCompositor::remoteDesktop()
{
    return *m_input;
}

} // namespace quillora::test
