#include "desktop/SingleInstance.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>

namespace quillora {

namespace {

const QString kService = QString::fromLatin1(SingleInstance::serviceName);
const QString kPath = QString::fromLatin1(SingleInstance::objectPath);
const QString kInterface = QStringLiteral("com.tessel.quillora.Application");
// A running instance answers at once; one that hangs must not hold the second start for long.
constexpr int kRaiseTimeoutMs = 5000;

// Asks the name's owner to carry out `request`, waiting at most a few seconds for it to answer;
// true when it answered.
bool call(QDBusConnection& bus, SingleInstance::Request request)
{
    const QString method = request == SingleInstance::Request::polishSelection ? QStringLiteral("PolishSelection")
                                                                               : QStringLiteral("Raise");
    QDBusMessage message = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
    return bus.call(message, QDBus::Block, kRaiseTimeoutMs).type() == QDBusMessage::ReplyMessage;
}

} // namespace

SingleInstance::SingleInstance(QObject* parent)
    : QObject(parent)
{
}

SingleInstance::~SingleInstance()
{
    release();
}

SingleInstance::Claim SingleInstance::claim(Request request)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || bus.interface() == nullptr) {
        return Claim::NoSessionBus;
    }
    bus.registerObject(kPath, this, QDBusConnection::ExportScriptableSlots);
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply = bus.interface()->registerService(
        kService, QDBusConnectionInterface::DontQueueService, QDBusConnectionInterface::DontAllowReplacement);
    if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered) {
        m_owner = true;
        return Claim::Owner;
    }
    bus.unregisterObject(kPath);
    return call(bus, request) ? Claim::AlreadyRunning : Claim::OwnerDoesNotAnswer;
}

bool SingleInstance::askOwner(Request request)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || bus.interface() == nullptr || !bus.interface()->isServiceRegistered(kService)) {
        return false;
    }
    (void)call(bus, request);
    return true;
}

void SingleInstance::release()
{
    if (!m_owner) {
        return;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterService(kService);
    bus.unregisterObject(kPath);
    m_owner = false;
}

void SingleInstance::Raise()
{
    Q_EMIT raiseRequested();
}

void SingleInstance::PolishSelection()
{
    Q_EMIT polishSelectionRequested();
}

} // namespace quillora
