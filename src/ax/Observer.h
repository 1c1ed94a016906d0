#pragma once

#include "ax/AXNotification.h"
#include "platform/Accessibility.h"

#include <functional>
#include <memory>
#include <optional>

namespace quillora {

class Application;
class UIElement;

/**
 * A subscription to the accessibility notifications of one process. Notifications arrive as
 * typed callbacks on the event loop of the thread that created (or last started) the observer;
 * names outside the `AXNotification` vocabulary are logged once each and dropped. The owner keeps
 * the observer for as long as notifications are wanted: destroying it ends every subscription.
 * `start`, `stop` and destruction belong on the creating thread.
 */
class Observer final
{
public:
    using Callback = std::function<void(Observer& observer, const UIElement& element, AXNotification notification)>;
    using CallbackWithInfo = std::function<void(Observer& observer, const UIElement& element,
                                                AXNotification notification, const std::optional<AXDictionary>& info)>;

    /** Subscribes to nothing yet and starts delivering on this thread. Throws `AXError` when it cannot be made. */
    Observer(qint64 pid, Callback callback);
    /** The same, with the platform's information dictionary passed to the callback. */
    Observer(qint64 pid, CallbackWithInfo callback);
    ~Observer();

    Observer(const Observer&) = delete;
    Observer& operator=(const Observer&) = delete;

    [[nodiscard]] qint64 pid() const { return m_pid; }

    /** Delivers notifications on the calling thread's event loop. */
    void start();
    /** Stops delivering on the calling thread; notifications meanwhile are lost. */
    void stop();

    /** Subscribes to a notification of `element`; subscribing twice is harmless. Throws other errors. */
    void addNotification(AXNotification notification, const UIElement& element);
    /** The same by name, for notifications an application defines itself. */
    void addNotification(const QString& notification, const UIElement& element);

    /** Ends a subscription; ending one that is not there is harmless. Throws other errors. */
    void removeNotification(AXNotification notification, const UIElement& element);
    void removeNotification(const QString& notification, const UIElement& element);

    /** The application element of the observed process, made on first use and kept. */
    [[nodiscard]] const Application& application();

private:
    void create();
    void deliver(const AXElementRef& element, const QString& name, const std::optional<AXDictionary>& info);

    qint64 m_pid;
    Callback m_callback;
    CallbackWithInfo m_callbackWithInfo;
    AXObserverRef m_axObserver;
    std::unique_ptr<Application> m_application;
};

} // namespace quillora
