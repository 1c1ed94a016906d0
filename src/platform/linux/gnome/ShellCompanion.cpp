#include "platform/linux/gnome/ShellCompanion.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusServiceWatcher>
#include <QDBusVariant>

#include <qcoro/qcorodbuspendingcall.h>

namespace quillora {

namespace {

const QString kService = QStringLiteral("org.gnome.Shell");
const QString kPath = QStringLiteral("/com/tessel/quillora/ShellCompanion");
const QString kInterface = QStringLiteral("com.tessel.quillora.ShellCompanion1");

bool isAnswer(const QDBusMessage& reply)
{
    return reply.type() == QDBusMessage::ReplyMessage;
}

// A rectangle as the extension sends it: (x, y, width, height).
QRectF rectFrom(const QDBusArgument& argument)
{
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
    argument.beginStructure();
    argument >> x >> y >> width >> height;
    argument.endStructure();
    return QRectF(x, y, width, height);
}

} // namespace

ShellCompanion::ShellCompanion(QDBusConnection bus, QObject* parent)
    : QObject(parent)
    , m_bus(std::move(bus))
{
    if (!m_bus.isConnected()) {
        return;
    }
    const auto connectToShell = [this] {
        QDBusMessage versionCall = QDBusMessage::createMethodCall(
            kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
        versionCall.setArguments({kInterface, QStringLiteral("Version")});
        const QDBusMessage version = m_bus.call(versionCall, QDBus::Block, callTimeoutMs);
        m_available = isAnswer(version) && !version.arguments().isEmpty() &&
                      version.arguments().constFirst().value<QDBusVariant>().variant().toUInt() == interfaceVersion;
        // The extension sends its signals to the one connection that subscribed last.
        m_available = m_available && isAnswer(call(QStringLiteral("Subscribe")));
    };
    m_bus.connect(kService, kPath, kInterface, QStringLiteral("PrimaryChanged"), this, SLOT(onPrimaryChanged()));
    m_bus.connect(kService, kPath, kInterface, QStringLiteral("ShortcutActivated"), this, SLOT(onShortcutActivated()));
    connectToShell();
    // A shell restarted (or the extension enabled later) is asked again: the subscription is new.
    auto* watcher = new QDBusServiceWatcher(kService, m_bus, QDBusServiceWatcher::WatchForRegistration, this);
    connect(watcher, &QDBusServiceWatcher::serviceRegistered, this, connectToShell);
}

ShellCompanion::~ShellCompanion() = default;

QDBusMessage ShellCompanion::call(const QString& method, const QVariantList& arguments) const
{
    QDBusMessage message = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
    message.setArguments(arguments);
    return m_bus.call(message, QDBus::Block, callTimeoutMs);
}

QCoro::Task<std::optional<QPointF>> ShellCompanion::pointer()
{
    if (!m_available) {
        co_return std::nullopt;
    }
    const QDBusPendingCall pending = m_bus.asyncCall(
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("GetPointer")), callTimeoutMs);
    co_await pending;
    const QDBusMessage reply = pending.reply();
    if (!isAnswer(reply) || reply.arguments().size() != 2) {
        co_return std::nullopt;
    }
    co_return QPointF(reply.arguments().at(0).toDouble(), reply.arguments().at(1).toDouble());
}

QCoro::Task<std::optional<ForeignWindow>> ShellCompanion::focusedWindow()
{
    if (!m_available) {
        co_return std::nullopt;
    }
    const QDBusPendingCall pending = m_bus.asyncCall(
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("GetFocusedWindow")), callTimeoutMs);
    co_await pending;
    co_return windowFrom(pending.reply());
}

std::optional<ForeignWindow> ShellCompanion::focusedWindowNow() const
{
    return m_available ? windowFrom(call(QStringLiteral("GetFocusedWindow"))) : std::nullopt;
}

std::optional<ForeignWindow> ShellCompanion::windowFrom(const QDBusMessage& reply)
{
    const QVariantList answer = reply.arguments();
    if (!isAnswer(reply) || answer.size() != 5 || !answer.at(0).toBool()) {
        return std::nullopt;
    }
    ForeignWindow window;
    // Accessibility reports positions relative to the client surface, which for a toolkit that
    // draws its own decorations includes their shadows: that is the frame here, not the visible one.
    window.frame = rectFrom(answer.at(2).value<QDBusArgument>());
    window.pid = answer.at(3).toLongLong();
    window.appId = answer.at(4).toString();
    if (window.frame.isEmpty()) {
        return std::nullopt;
    }
    return window;
}

std::optional<QString> ShellCompanion::readPrimary()
{
    if (!m_available) {
        return std::nullopt;
    }
    const QDBusMessage reply = call(QStringLiteral("ReadPrimary"));
    if (!isAnswer(reply) || reply.arguments().isEmpty()) {
        return std::nullopt;
    }
    return reply.arguments().constFirst().toString();
}

bool ShellCompanion::postKeys(const QString& combination)
{
    return m_available && isAnswer(call(QStringLiteral("PostKeys"), {combination}));
}

QCoro::Task<std::optional<bool>> ShellCompanion::setShortcut(QString accelerator)
{
    if (!m_available) {
        co_return std::nullopt;
    }
    QDBusMessage message = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("SetShortcut"));
    message.setArguments({accelerator});
    const QDBusPendingCall pending = m_bus.asyncCall(message, callTimeoutMs);
    co_await pending;
    const QDBusMessage reply = pending.reply();
    if (!isAnswer(reply) || reply.arguments().isEmpty()) {
        co_return std::nullopt;
    }
    co_return reply.arguments().constFirst().toBool();
}

void ShellCompanion::onPrimaryChanged()
{
    Q_EMIT primaryChanged();
}

void ShellCompanion::onShortcutActivated()
{
    Q_EMIT shortcutActivated();
}

} // namespace quillora
