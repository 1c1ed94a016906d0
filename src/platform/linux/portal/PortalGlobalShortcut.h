#pragma once

#include "platform/GlobalShortcut.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QVariantMap>

#include <optional>

namespace quillora {

/**
 * The desktop-wide shortcut through the desktop portal's GlobalShortcuts interface (KDE Plasma,
 * Hyprland, newer GNOME): one session holding one shortcut, "polish-selection", with the chosen
 * combination as its preferred trigger. The desktop may ask the user to confirm or choose another
 * trigger; what it settled on is reported. A new combination closes the session and opens another,
 * since a session binds its shortcuts once. Main thread.
 */
class PortalGlobalShortcut final : public QObject, public GlobalShortcut
{
    Q_OBJECT

public:
    /** The shortcut's identifier within the session. */
    static constexpr auto shortcutId = "polish-selection";
    /** The longest wait for the portal to open a session, in milliseconds. */
    static constexpr int sessionTimeoutMs = 5000;

    /** Talks to the portal on `bus`. */
    explicit PortalGlobalShortcut(QDBusConnection bus, QObject* parent = nullptr);
    ~PortalGlobalShortcut() override;

    /** True when the portal on `bus` offers global shortcuts (asked without waiting long). */
    [[nodiscard]] static bool isOffered(const QDBusConnection& bus);

    void setHandler(Handler handler) override { m_handler = std::move(handler); }
    [[nodiscard]] QCoro::Task<ShortcutBinding> bind(QString combination) override;

    /** The portal's trigger text for Qt's portable text of one combination ("CTRL+ALT+space"). */
    [[nodiscard]] static QString triggerFor(const QString& combination);

private Q_SLOTS:
    void onActivated(const QDBusMessage& message);

private:
    /** A portal request's answer: its response code (0 = success) and results. */
    struct Response
    {
        uint code = 2;
        QVariantMap results;
    };

    [[nodiscard]] QCoro::Task<std::optional<Response>> request(QString method, QVariantList arguments, QString token,
                                                               int timeoutMs);
    void closeSession();

    QDBusConnection m_bus;
    Handler m_handler;
    QString m_session;
    quint64 m_tokens = 0;
};

} // namespace quillora
