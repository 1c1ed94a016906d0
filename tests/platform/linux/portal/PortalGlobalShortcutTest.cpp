// The shortcut through the desktop portal, against a stand-in portal on a private bus: the
// request-and-response dance, the trigger the desktop settles on, activations of our session
// only, a declined dialog, and a desktop without the portal.
#include "platform/linux/portal/PortalGlobalShortcut.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QElapsedTimer>
#include <QProcess>
#include <QScopeGuard>
#include <QThread>

#include <qcoro/qcorotask.h>

#include <gtest/gtest.h>

namespace quillora {
namespace {

/** The portal's side, answering every request at once with `responseCode`. */
class StandInPortal final : public QDBusVirtualObject
{
public:
    explicit StandInPortal(QDBusConnection bus)
        : m_bus(std::move(bus))
    {
    }

    /** The answer to BindShortcuts: 0 granted, 1 declined by the user. */
    uint bindResponse = 0;
    QString preferredTrigger;
    QString session;

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override
    {
        const QString member = message.member();
        if (message.interface() == QLatin1String("org.freedesktop.DBus.Properties")) {
            m_bus.send(message.createReply(QVariant::fromValue(QDBusVariant(uint(1)))));
            return true;
        }
        if (member == QLatin1String("CreateSession")) {
            const QVariantMap options = qdbus_cast<QVariantMap>(message.arguments().at(0));
            session = QStringLiteral("/org/freedesktop/portal/desktop/session/1/%1")
                          .arg(options.value(QStringLiteral("session_handle_token")).toString());
            answer(message, options, 0, {{QStringLiteral("session_handle"), session}});
            return true;
        }
        if (member == QLatin1String("BindShortcuts")) {
            // a(sa{sv}): one shortcut, whose preferred trigger is noted and handed back described.
            const QDBusArgument shortcuts = message.arguments().at(1).value<QDBusArgument>();
            shortcuts.beginArray();
            while (!shortcuts.atEnd()) {
                QString id;
                QVariantMap properties;
                shortcuts.beginStructure();
                shortcuts >> id >> properties;
                shortcuts.endStructure();
                preferredTrigger = properties.value(QStringLiteral("preferred_trigger")).toString();
            }
            shortcuts.endArray();
            answer(message, qdbus_cast<QVariantMap>(message.arguments().at(3)), bindResponse, {});
            return true;
        }
        return false;
    }

    void activate(const QString& sessionPath, const QString& id)
    {
        QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/portal/desktop"),
                                                         QStringLiteral("org.freedesktop.portal.GlobalShortcuts"),
                                                         QStringLiteral("Activated"));
        signal.setArguments({QVariant::fromValue(QDBusObjectPath(sessionPath)), id, qulonglong(1), QVariantMap()});
        m_bus.send(signal);
    }

private:
    void answer(const QDBusMessage& call, const QVariantMap& options, uint code, const QVariantMap& results)
    {
        QString sender = call.service().mid(1);
        sender.replace(QLatin1Char('.'), QLatin1Char('_'));
        const QString request = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2")
                                    .arg(sender, options.value(QStringLiteral("handle_token")).toString());
        m_bus.send(call.createReply(QVariant::fromValue(QDBusObjectPath(request))));
        QDBusMessage response = QDBusMessage::createSignal(request, QStringLiteral("org.freedesktop.portal.Request"),
                                                           QStringLiteral("Response"));
        response.setArguments({code, results});
        m_bus.send(response);
    }

    QDBusConnection m_bus;
};

class PortalGlobalShortcutTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address")});
        if (!m_daemon.waitForReadyRead(5000)) {
            GTEST_SKIP() << "dbus-daemon could not be started";
        }
        m_address = QString::fromUtf8(m_daemon.readLine().trimmed());
    }

    void TearDown() override
    {
        m_daemon.kill();
        m_daemon.waitForFinished();
    }

    QDBusConnection connect(const QString& name) { return QDBusConnection::connectToBus(m_address, name); }

    static void pump(const std::function<bool()>& done)
    {
        QElapsedTimer timer;
        timer.start();
        while (!done() && timer.elapsed() < 3000) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        }
    }

    QProcess m_daemon;
    QString m_address;
};

TEST_F(PortalGlobalShortcutTest, BindsThroughTheRequestsAndHearsOnlyItsOwnSession)
{
    QDBusConnection client = connect(QStringLiteral("client"));
    EXPECT_FALSE(PortalGlobalShortcut::isOffered(client)) << "no portal on the bus yet";

    // The portal answers from a thread of its own, as a separate process would: the property is
    // read with a blocking call.
    QDBusConnection server = connect(QStringLiteral("portal"));
    StandInPortal portal(server);
    QThread portalThread;
    portal.moveToThread(&portalThread);
    portalThread.start();
    const auto stopThread = qScopeGuard([&portalThread] {
        portalThread.quit();
        portalThread.wait();
    });
    ASSERT_TRUE(server.registerVirtualObject(QStringLiteral("/org/freedesktop/portal/desktop"), &portal));
    ASSERT_TRUE(server.registerService(QStringLiteral("org.freedesktop.portal.Desktop")));
    EXPECT_TRUE(PortalGlobalShortcut::isOffered(client));

    PortalGlobalShortcut shortcut(client);
    int presses = 0;
    shortcut.setHandler([&presses] { ++presses; });
    const ShortcutBinding bound = QCoro::waitFor(shortcut.bind(QStringLiteral("Ctrl+Alt+Space")));
    EXPECT_EQ(bound.status, ShortcutBinding::Status::bound) << bound.detail.toStdString();
    EXPECT_EQ(portal.preferredTrigger, QStringLiteral("CTRL+ALT+space"));

    portal.activate(portal.session + QStringLiteral("_other"), QLatin1String(PortalGlobalShortcut::shortcutId));
    portal.activate(portal.session, QLatin1String(PortalGlobalShortcut::shortcutId));
    pump([&presses] { return presses > 0; });
    EXPECT_EQ(presses, 1) << "only the activation of our own session counts";

    // A declined dialog is reported, and the session it opened is not the one listened to.
    portal.bindResponse = 1;
    const QString before = portal.session;
    EXPECT_EQ(QCoro::waitFor(shortcut.bind(QStringLiteral("Meta+P"))).status, ShortcutBinding::Status::taken);
    portal.activate(before, QLatin1String(PortalGlobalShortcut::shortcutId));
    portal.activate(portal.session, QLatin1String(PortalGlobalShortcut::shortcutId));
    // Signals from one sender arrive in order: once the next good binding's activation is heard,
    // the two above have been heard too, and must not have counted.
    portal.bindResponse = 0;
    EXPECT_EQ(QCoro::waitFor(shortcut.bind(QStringLiteral("Meta+P"))).status, ShortcutBinding::Status::bound);
    portal.activate(portal.session, QLatin1String(PortalGlobalShortcut::shortcutId));
    pump([&presses] { return presses > 1; });
    EXPECT_EQ(presses, 2);
}

} // namespace
} // namespace quillora
