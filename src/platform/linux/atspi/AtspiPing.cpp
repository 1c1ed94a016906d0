#include "platform/linux/atspi/AtspiPing.h"

#include <QPointer>

#include <atspi/atspi.h>
#include <dbus/dbus.h>

#include <qcoro/qcorosignal.h>

namespace quillora {

namespace {

void deliver(DBusPendingCall* pending, void* data)
{
    auto* ping = static_cast<QPointer<AtspiPing>*>(data)->data();
    DBusMessage* reply = dbus_pending_call_steal_reply(pending);
    // Any reply means the process ran its connection; only no reply (the budget ran out) or a
    // name that has gone mean it does not answer.
    bool answered = reply != nullptr;
    if (reply != nullptr && dbus_message_get_type(reply) == DBUS_MESSAGE_TYPE_ERROR) {
        const char* name = dbus_message_get_error_name(reply);
        answered = name == nullptr ||
                   (qstrcmp(name, DBUS_ERROR_NO_REPLY) != 0 && qstrcmp(name, DBUS_ERROR_SERVICE_UNKNOWN) != 0 &&
                    qstrcmp(name, DBUS_ERROR_NAME_HAS_NO_OWNER) != 0);
    }
    if (reply != nullptr) {
        dbus_message_unref(reply);
    }
    if (ping != nullptr) {
        Q_EMIT ping->finished(answered);
        ping->deleteLater();
    }
}

void release(void* data)
{
    delete static_cast<QPointer<AtspiPing>*>(data);
}

} // namespace

QCoro::Task<bool> AtspiPing::send(QByteArray busName, int budgetMs)
{
    DBusConnection* bus = atspi_get_a11y_bus();
    if (bus == nullptr || busName.isEmpty()) {
        co_return false;
    }
    DBusMessage* message = dbus_message_new_method_call(busName.constData(), "/", DBUS_INTERFACE_PEER, "Ping");
    DBusPendingCall* pending = nullptr;
    const bool sent =
        message != nullptr && dbus_connection_send_with_reply(bus, message, &pending, budgetMs) && pending != nullptr;
    if (message != nullptr) {
        dbus_message_unref(message);
    }
    if (!sent) {
        co_return false;
    }
    auto* ping = new AtspiPing;
    // The object is deleted once the answer is delivered, also when nobody awaits it any more.
    dbus_pending_call_set_notify(pending, &deliver, new QPointer<AtspiPing>(ping), &release);
    dbus_pending_call_unref(pending);
    const bool answered = co_await qCoro(ping, &AtspiPing::finished);
    co_return answered;
}

} // namespace quillora
