#include "ax/Observer.h"

#include "ax/Application.h"
#include "platform/Platform.h"

#include <QDebug>

namespace quillora {

Observer::Observer(qint64 pid, Callback callback)
    : m_pid(pid)
    , m_callback(std::move(callback))
{
    create();
}

Observer::Observer(qint64 pid, CallbackWithInfo callback)
    : m_pid(pid)
    , m_callbackWithInfo(std::move(callback))
{
    create();
}

Observer::~Observer()
{
    stop();
}

void Observer::create()
{
    // The platform never calls back after the last reference to its observer is gone, and this
    // object holds that reference, so the callback may refer to it directly.
    AXReply<AXObserverRef> reply = Platform::current().accessibility().createObserver(
        m_pid, [this](const AXElementRef& element, const QString& name, const std::optional<AXDictionary>& info) {
            deliver(element, name, info);
        });
    if (!reply.ok()) {
        throw AXError(reply.result);
    }
    m_axObserver = std::move(reply.value);
    start();
}

void Observer::start()
{
    Platform::current().accessibility().attachObserver(m_axObserver);
}

void Observer::stop()
{
    if (Platform::hasCurrent()) {
        Platform::current().accessibility().detachObserver(m_axObserver);
    }
}

void Observer::addNotification(AXNotification notification, const UIElement& element)
{
    addNotification(rawValue(notification), element);
}

void Observer::addNotification(const QString& notification, const UIElement& element)
{
    const AXResult result =
        Platform::current().accessibility().addNotification(m_axObserver, element.element(), notification);
    if (result != AXResult::Success && result != AXResult::NotificationAlreadyRegistered) {
        throw AXError(result);
    }
}

void Observer::removeNotification(AXNotification notification, const UIElement& element)
{
    removeNotification(rawValue(notification), element);
}

void Observer::removeNotification(const QString& notification, const UIElement& element)
{
    const AXResult result =
        Platform::current().accessibility().removeNotification(m_axObserver, element.element(), notification);
    if (result != AXResult::Success && result != AXResult::NotificationNotRegistered) {
        throw AXError(result);
    }
}

const Application& Observer::application()
{
    if (!m_application) {
        m_application = std::make_unique<Application>(Platform::current().accessibility().createApplication(m_pid));
    }
    return *m_application;
}

void Observer::deliver(const AXElementRef& element, const QString& name, const std::optional<AXDictionary>& info)
{
    const UIElement wrapped(element);
    const std::optional<AXNotification> notification = fromRawValue<AXNotification>(name);
    if (!notification) {
        qWarning("Unknown AX notification %s received", qUtf8Printable(name));
        return;
    }
    if (m_callbackWithInfo) {
        m_callbackWithInfo(*this, wrapped, *notification, info);
    } else if (m_callback) {
        m_callback(*this, wrapped, *notification);
    }
}

} // namespace quillora
