#include "platform/linux/portal/PortalGlobalShortcut.h"

#include "core/AsyncEvent.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QTimer>

#include <qcoro/qcorodbuspendingcall.h>

#include <memory>

namespace quillora {

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");

/** One shortcut as the portal takes it: an identifier and its properties. */
struct PortalShortcut
{
    QString id;
    QVariantMap properties;
};

QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcut& shortcut)
{
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, PortalShortcut& shortcut)
{
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

} // namespace

} // namespace quillora

Q_DECLARE_METATYPE(quillora::PortalShortcut)

namespace quillora {

namespace {

/** Receives the Response signal of one portal request and wakes whoever waits for it. */
class ResponseReceiver final : public QObject
{
    Q_OBJECT

public:
    AsyncEvent answered;
    bool responded = false;
    uint code = 2;
    QVariantMap results;

public Q_SLOTS:
    void Response(uint responseCode, const QVariantMap& responseResults)
    {
        responded = true;
        code = responseCode;
        results = responseResults;
        answered.set();
    }
};

// The arguments of CreateSession and BindShortcuts, made outside the coroutine (GCC 12 rejects
// string literals in braced lists inside one).
QVariantList createSessionArguments(const QString& token)
{
    return {QVariantMap{{QStringLiteral("handle_token"), token}, {QStringLiteral("session_handle_token"), token}}};
}

QVariantList bindArguments(const QString& session, const QString& trigger, const QString& token)
{
    const QList<PortalShortcut> shortcuts{{QLatin1String(PortalGlobalShortcut::shortcutId),
                                           {{QStringLiteral("description"), QStringLiteral("Polish the selected text")},
                                            {QStringLiteral("preferred_trigger"), trigger}}}};
    return {QVariant::fromValue(QDBusObjectPath(session)), QVariant::fromValue(shortcuts), QString(),
            QVariantMap{{QStringLiteral("handle_token"), token}}};
}

// The trigger the desktop settled on, which the user may have changed in its dialog.
QString settledTrigger(const QVariantMap& results, const QString& preferred)
{
    const QList<PortalShortcut> settled = qdbus_cast<QList<PortalShortcut>>(results.value(QStringLiteral("shortcuts")));
    for (const PortalShortcut& shortcut : settled) {
        if (shortcut.id == QLatin1String(PortalGlobalShortcut::shortcutId)) {
            return shortcut.properties.value(QStringLiteral("trigger_description"), preferred).toString();
        }
    }
    return preferred;
}

} // namespace

PortalGlobalShortcut::PortalGlobalShortcut(QDBusConnection bus, QObject* parent)
    : QObject(parent)
    , m_bus(std::move(bus))
{
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<QList<PortalShortcut>>();
    m_bus.connect(kService, kPath, kInterface, QStringLiteral("Activated"), this, SLOT(onActivated(QDBusMessage)));
}

PortalGlobalShortcut::~PortalGlobalShortcut()
{
    closeSession();
}

bool PortalGlobalShortcut::isOffered(const QDBusConnection& bus)
{
    QDBusMessage message = QDBusMessage::createMethodCall(
        kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    message.setArguments({kInterface, QStringLiteral("version")});
    const QDBusMessage reply = bus.call(message, QDBus::Block, 300);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           reply.arguments().constFirst().value<QDBusVariant>().variant().toUInt() >= 1;
}

QString PortalGlobalShortcut::triggerFor(const QString& combination)
{
    const std::optional<ShortcutKeys> keys = ShortcutKeys::parse(combination);
    if (!keys) {
        return QString();
    }
    QStringList parts;
    for (const auto& [modifier, name] : {std::pair{Qt::ControlModifier, "CTRL"}, std::pair{Qt::AltModifier, "ALT"},
                                         std::pair{Qt::ShiftModifier, "SHIFT"}, std::pair{Qt::MetaModifier, "LOGO"}}) {
        if (keys->modifiers.testFlag(modifier)) {
            parts << QLatin1String(name);
        }
    }
    parts << keys->keyName;
    return parts.join(QLatin1Char('+'));
}

QCoro::Task<std::optional<PortalGlobalShortcut::Response>>
PortalGlobalShortcut::request(QString method, QVariantList arguments, QString token, int timeoutMs)
{
    // The request's object path is known before the call, so its answer cannot be missed.
    QString sender = m_bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    const QString requestPath = QStringLiteral("%1/request/%2/%3").arg(kPath, sender, token);
    auto receiver = std::make_shared<ResponseReceiver>();
    m_bus.connect(kService, requestPath, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"),
                  receiver.get(), SLOT(Response(uint, QVariantMap)));
    QDBusMessage message = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
    message.setArguments(arguments);
    const QDBusPendingCall pending = m_bus.asyncCall(message);
    co_await pending;
    if (pending.isError()) {
        co_return std::nullopt;
    }
    if (timeoutMs > 0) {
        QTimer::singleShot(timeoutMs, receiver.get(), [raw = receiver.get()] { raw->answered.set(); });
    }
    co_await receiver->answered.wait();
    if (!receiver->responded) {
        co_return std::nullopt;
    }
    co_return Response{receiver->code, receiver->results};
}

void PortalGlobalShortcut::closeSession()
{
    if (m_session.isEmpty()) {
        return;
    }
    m_bus.asyncCall(QDBusMessage::createMethodCall(
        kService, m_session, QStringLiteral("org.freedesktop.portal.Session"), QStringLiteral("Close")));
    m_session.clear();
}

QCoro::Task<ShortcutBinding> PortalGlobalShortcut::bind(QString combination)
{
    closeSession();
    if (combination.isEmpty()) {
        co_return ShortcutBinding{ShortcutBinding::Status::unbound, {}};
    }
    const QString trigger = triggerFor(combination);
    if (trigger.isEmpty()) {
        co_return ShortcutBinding{ShortcutBinding::Status::invalid,
                                  QStringLiteral("%1 is not a key combination").arg(combination)};
    }
    const QString token = QStringLiteral("quillora%1").arg(++m_tokens);
    const std::optional<Response> created =
        co_await request(QStringLiteral("CreateSession"), createSessionArguments(token), token, sessionTimeoutMs);
    const QString session = created ? created->results.value(QStringLiteral("session_handle")).toString() : QString();
    if (!created || created->code != 0 || session.isEmpty()) {
        co_return ShortcutBinding{ShortcutBinding::Status::unsupported,
                                  QStringLiteral("the desktop portal did not open a shortcut session")};
    }
    m_session = session;

    const QString bindToken = QStringLiteral("quillora%1").arg(++m_tokens);
    // The desktop may ask the user first: no time limit on the answer.
    const std::optional<Response> bound =
        co_await request(QStringLiteral("BindShortcuts"), bindArguments(session, trigger, bindToken), bindToken, 0);
    if (!bound || bound->code != 0) {
        closeSession();
        // Response code 1: the user declined in the desktop's dialog.
        if (bound && bound->code == 1) {
            co_return ShortcutBinding{ShortcutBinding::Status::taken,
                                      QStringLiteral("the shortcut was declined in the desktop's dialog")};
        }
        co_return ShortcutBinding{ShortcutBinding::Status::unsupported,
                                  QStringLiteral("the desktop portal did not bind the shortcut")};
    }
    co_return ShortcutBinding{
        ShortcutBinding::Status::bound,
        QStringLiteral("bound through the desktop portal as %1").arg(settledTrigger(bound->results, trigger))};
}

void PortalGlobalShortcut::onActivated(const QDBusMessage& message)
{
    // (o session_handle, s shortcut_id, t timestamp, a{sv} options)
    const QVariantList arguments = message.arguments();
    if (arguments.size() < 2) {
        return;
    }
    const QString session = arguments.at(0).value<QDBusObjectPath>().path();
    const QString id = arguments.at(1).toString();
    if (!m_session.isEmpty() && session == m_session && id == QLatin1String(shortcutId) && m_handler) {
        m_handler();
    }
}

} // namespace quillora

#include "PortalGlobalShortcut.moc"
