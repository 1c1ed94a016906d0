#pragma once

#include "platform/Accessibility.h"

#include <QHash>
#include <QPointer>

#include <functional>
#include <memory>
#include <vector>

struct _AtspiAccessible;
struct _AtspiEvent;
struct _AtspiEventListener;

namespace quillora {

class AtspiNode;

/** One notification subscription of an observer: the element it watches and the "AX…" name. */
struct AtspiSubscription
{
    AXElementRef element;
    QString notification;
};

/** An observer of this backend: a process, a callback and its subscriptions. */
class AtspiObserver final : public AXObserverNode
{
public:
    AtspiObserver(qint64 pid, AXObserverCallback callback);
    ~AtspiObserver() override;

    [[nodiscard]] qint64 pid() const { return m_pid; }
    [[nodiscard]] const AXObserverCallback& callback() const { return m_callback; }
    [[nodiscard]] std::vector<AtspiSubscription>& subscriptions() { return m_subscriptions; }

    /** The object on whose thread deliveries run; null while detached. */
    [[nodiscard]] QObject* context() const { return m_context; }
    /** Delivers on the calling thread from now on. */
    void attach();
    void detach();

private:
    qint64 m_pid;
    AXObserverCallback m_callback;
    std::vector<AtspiSubscription> m_subscriptions;
    QPointer<QObject> m_context;
};

/**
 * The AT-SPI events this process listens to. State changes are always on: libatspi keeps its cached
 * states current from them, and the element that last gained focus is kept, so the focused element
 * needs no tree walk. Other event types are registered
 * while at least one subscription needs them. libatspi runs listeners inside its own calls (it
 * dispatches while it waits for a reply), so events are only recorded there and delivered to
 * observers later, through their thread's event loop. Main thread only.
 */
class AtspiEventHub final
{
public:
    /** `pidOf` tells the process of an event's source (answered from a cache in the backend). */
    explicit AtspiEventHub(std::function<qint64(_AtspiAccessible*)> pidOf);
    ~AtspiEventHub();
    AtspiEventHub(const AtspiEventHub&) = delete;
    AtspiEventHub& operator=(const AtspiEventHub&) = delete;

    /** Registers the state listener; false when the registry did not accept it. */
    [[nodiscard]] bool start();

    /** The element that gained focus last and has not lost it since; null when none. Not referenced. */
    [[nodiscard]] _AtspiAccessible* focused() const { return m_focused; }

    /** Takes `accessible` as the focused element until the next focus event (referenced). */
    void setFocused(_AtspiAccessible* accessible);

    /** Counts a listener for every event type of `notification`; false when AT-SPI has none. */
    [[nodiscard]] bool retain(const QString& notification);
    /** Releases what `retain` counted. */
    void release(const QString& notification);

    /** Starts delivering matching events to `observer`; it is held weakly. */
    void add(const std::shared_ptr<AtspiObserver>& observer);

    /**
     * Calls `onChange` through the event loop for every text selection change, and every gain of
     * focus, in a process other than `ownPid`; an empty function stops. False when AT-SPI did not
     * accept the listener.
     */
    [[nodiscard]] bool watchSelections(qint64 ownPid, std::function<void()> onChange);

private:
    static void onEvent(_AtspiEvent* event, void* self);
    void handle(_AtspiEvent* event);
    void deliver(_AtspiAccessible* source, const QString& type, int detail1);

    std::function<qint64(_AtspiAccessible*)> m_pidOf;
    /** Queued matching runs through this object, so none runs after the hub is gone. */
    std::unique_ptr<QObject> m_context;
    _AtspiEventListener* m_listener = nullptr;
    _AtspiAccessible* m_focused = nullptr;
    QHash<QString, int> m_registered;
    std::vector<std::weak_ptr<AtspiObserver>> m_observers;
    qint64 m_selectionOwnPid = -1;
    std::function<void()> m_onSelectionChange;
};

} // namespace quillora
