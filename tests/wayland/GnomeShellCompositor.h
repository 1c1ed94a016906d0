#pragma once

#include "Compositor.h"

#include <memory>
#include <optional>

struct _GDBusConnection;

namespace quillora::test {

class MutterRemoteDesktop;

/**
 * GNOME Shell 43 headless (a virtual monitor), with Xwayland started on demand, its settings in a
 * private key file and Quillora's companion extension installed and enabled for the session. It
 * runs in unsafe mode, so that the harness can ask the shell where windows are (`evaluate`), and
 * its pointer is Mutter's RemoteDesktop API.
 */
class GnomeShellCompositor final : public Compositor
{
public:
    /** The companion's extension id, as installed for the session. */
    static const QString kExtensionUuid;

    GnomeShellCompositor();
    ~GnomeShellCompositor() override;

    [[nodiscard]] QString name() const override { return QStringLiteral("GNOME Shell"); }
    [[nodiscard]] QString start(WaylandSession& session) override;
    [[nodiscard]] std::vector<WindowOnScreen> windows() override;
    [[nodiscard]] VirtualPointer& pointer() override;

    /** The pointer's device, which also types keys. */
    [[nodiscard]] MutterRemoteDesktop& remoteDesktop();

    /**
     * Evaluates the JavaScript `code` inside the shell (org.gnome.Shell.Eval) and returns its value
     * as JSON; none when the shell does not answer or the code throws.
     */
    [[nodiscard]] std::optional<QString> evaluate(const QString& code) const;

private:
    QString installExtension() const;
    QString writeSettings() const;
    QString startSystemBus();

    WaylandSession* m_session = nullptr;
    QString m_systemBus;
    std::unique_ptr<_GDBusConnection, void (*)(void*)> m_bus;
    std::unique_ptr<MutterRemoteDesktop> m_input;
};

} // namespace quillora::test
