#include "platform/linux/atspi/AtspiBus.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>

namespace quillora::AtspiBus {

namespace {

const QString kService = QStringLiteral("org.a11y.Bus");
const QString kPath = QStringLiteral("/org/a11y/bus");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kStatus = QStringLiteral("org.a11y.Status");
const QString kIsEnabled = QStringLiteral("IsEnabled");

std::optional<QDBusMessage> call(QDBusMessage message, int timeoutMs)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return std::nullopt;
    }
    QDBusMessage reply = bus.call(message, QDBus::Block, timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        return std::nullopt;
    }
    return reply;
}

} // namespace

std::optional<QString> address(int timeoutMs)
{
    const std::optional<QDBusMessage> reply =
        call(QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("GetAddress")), timeoutMs);
    if (!reply || reply->arguments().isEmpty()) {
        return std::nullopt;
    }
    const QString value = reply->arguments().constFirst().toString();
    if (value.isEmpty()) {
        return std::nullopt;
    }
    return value;
}

std::optional<bool> isEnabled(int timeoutMs)
{
    QDBusMessage message = QDBusMessage::createMethodCall(kService, kPath, kProperties, QStringLiteral("Get"));
    message << kStatus << kIsEnabled;
    const std::optional<QDBusMessage> reply = call(message, timeoutMs);
    if (!reply || reply->arguments().isEmpty()) {
        return std::nullopt;
    }
    return reply->arguments().constFirst().value<QDBusVariant>().variant().toBool();
}

bool enable(int timeoutMs)
{
    QDBusMessage message = QDBusMessage::createMethodCall(kService, kPath, kProperties, QStringLiteral("Set"));
    message << kStatus << kIsEnabled << QVariant::fromValue(QDBusVariant(true));
    return call(message, timeoutMs).has_value();
}

} // namespace quillora::AtspiBus
