#pragma once

#include "platform/Accessibility.h"

#include <QList>
#include <QObject>

#include <memory>
#include <utility>

namespace quillora {

/**
 * A notification subscription of the simulated desktop. While attached it delivers on the event
 * loop of the thread that attached it, through a context object living on that thread; detaching
 * deletes the context, which drops deliveries still queued.
 */
class SimObserver final : public AXObserverNode, public std::enable_shared_from_this<SimObserver>
{
public:
    SimObserver(qint64 pid, AXObserverCallback callback);
    ~SimObserver() override;

    [[nodiscard]] qint64 pid() const { return m_pid; }

    /** Adds a subscription; false when it was already there. */
    bool subscribe(const AXElementRef& element, const QString& notification);
    /** Removes a subscription; false when it was not there. */
    bool unsubscribe(const AXElementRef& element, const QString& notification);
    [[nodiscard]] bool isSubscribed(const AXElementRef& element, const QString& notification) const;
    [[nodiscard]] int subscriptionCount() const { return m_subscriptions.size(); }

    void attach();
    void detach();
    [[nodiscard]] bool isAttached() const { return m_context != nullptr; }

    /** Queues one delivery to the attached thread; nothing when detached. */
    void deliver(const AXElementRef& element, const QString& notification, const std::optional<AXDictionary>& info);

private:
    qint64 m_pid;
    AXObserverCallback m_callback;
    QList<std::pair<AXElementRef, QString>> m_subscriptions;
    std::unique_ptr<QObject> m_context;
};

} // namespace quillora
