#include "platform/sim/SimObserver.h"

#include <QMetaObject>

namespace quillora {

SimObserver::SimObserver(qint64 pid, AXObserverCallback callback)
    : m_pid(pid)
    , m_callback(std::move(callback))
{
}

SimObserver::~SimObserver() = default;

bool SimObserver::subscribe(const AXElementRef& element, const QString& notification)
{
    if (isSubscribed(element, notification)) {
        return false;
    }
    m_subscriptions.append({element, notification});
    return true;
}

bool SimObserver::unsubscribe(const AXElementRef& element, const QString& notification)
{
    return m_subscriptions.removeOne(std::pair(element, notification));
}

bool SimObserver::isSubscribed(const AXElementRef& element, const QString& notification) const
{
    return m_subscriptions.contains(std::pair(element, notification));
}

void SimObserver::attach()
{
    m_context = std::make_unique<QObject>();
}

void SimObserver::detach()
{
    m_context.reset();
}

void SimObserver::deliver(const AXElementRef& element, const QString& notification,
                          const std::optional<AXDictionary>& info)
{
    if (!m_context) {
        return;
    }
    // The observer may be released before the queued call runs; the weak reference sees that.
    std::weak_ptr<SimObserver> weak = weak_from_this();
    QMetaObject::invokeMethod(
        m_context.get(),
        [weak, element, notification, info] {
            if (auto self = weak.lock()) {
                self->m_callback(element, notification, info);
            }
        },
        Qt::QueuedConnection);
}

} // namespace quillora
