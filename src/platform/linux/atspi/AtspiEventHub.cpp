#include "platform/linux/atspi/AtspiEventHub.h"

#include "platform/linux/atspi/AtspiNode.h"
#include "platform/linux/atspi/AtspiVocabulary.h"

#include <QObject>

#include <atspi/atspi.h>

#include <algorithm>

namespace quillora {

namespace {

const QString kStateEvents = QStringLiteral("object:state-changed");
const QString kFocusEvent = QStringLiteral("object:state-changed:focused");
const QString kSelectionEvent = QStringLiteral("object:text-selection-changed");

// The element a subscription watches covers the event's source when it is that element, or the
// application (or the whole desktop) the source belongs to.
bool covers(const AXElementRef& watched, AtspiAccessible* source)
{
    const AtspiNode* node = AtspiNode::from(watched);
    if (node == nullptr) {
        return false;
    }
    if (node->kind() != AtspiNode::Kind::Element) {
        return true;
    }
    return node->accessible() == source;
}

} // namespace

AtspiObserver::AtspiObserver(qint64 pid, AXObserverCallback callback)
    : m_pid(pid)
    , m_callback(std::move(callback))
{
}

AtspiObserver::~AtspiObserver()
{
    detach();
}

void AtspiObserver::attach()
{
    detach();
    m_context = new QObject;
}

void AtspiObserver::detach()
{
    // The context may live on another thread; deleteLater removes it there, together with any
    // delivery still queued for it.
    if (m_context) {
        m_context->deleteLater();
        m_context.clear();
    }
}

AtspiEventHub::AtspiEventHub(std::function<qint64(_AtspiAccessible*)> pidOf)
    : m_pidOf(std::move(pidOf))
    , m_context(std::make_unique<QObject>())
{
}

AtspiEventHub::~AtspiEventHub()
{
    if (m_listener != nullptr) {
        atspi_event_listener_deregister(m_listener, kStateEvents.toUtf8().constData(), nullptr);
        if (m_onSelectionChange) {
            atspi_event_listener_deregister(m_listener, kSelectionEvent.toUtf8().constData(), nullptr);
        }
        for (auto it = m_registered.cbegin(); it != m_registered.cend(); ++it) {
            atspi_event_listener_deregister(m_listener, it.key().toUtf8().constData(), nullptr);
        }
        g_object_unref(m_listener);
    }
    if (m_focused != nullptr) {
        g_object_unref(m_focused);
    }
}

bool AtspiEventHub::start()
{
    if (m_listener == nullptr) {
        m_listener = atspi_event_listener_new(&AtspiEventHub::onEvent, this, nullptr);
    }
    GError* error = nullptr;
    // Every state change, so that libatspi's cached states stay current; focus is among them.
    const bool registered = atspi_event_listener_register(m_listener, kStateEvents.toUtf8().constData(), &error);
    if (error != nullptr) {
        g_error_free(error);
    }
    return registered;
}

void AtspiEventHub::setFocused(_AtspiAccessible* accessible)
{
    if (accessible == m_focused) {
        return;
    }
    if (m_focused != nullptr) {
        g_object_unref(m_focused);
    }
    m_focused = accessible != nullptr ? static_cast<AtspiAccessible*>(g_object_ref(accessible)) : nullptr;
}

bool AtspiEventHub::retain(const QString& notification)
{
    const QStringList types = AtspiVocabulary::eventTypes(notification);
    if (types.isEmpty() || m_listener == nullptr) {
        return false;
    }
    for (const QString& type : types) {
        if (m_registered[type]++ == 0) {
            GError* error = nullptr;
            atspi_event_listener_register(m_listener, type.toUtf8().constData(), &error);
            if (error != nullptr) {
                g_error_free(error);
            }
        }
    }
    return true;
}

void AtspiEventHub::release(const QString& notification)
{
    for (const QString& type : AtspiVocabulary::eventTypes(notification)) {
        auto found = m_registered.find(type);
        if (found == m_registered.end()) {
            continue;
        }
        if (--*found == 0) {
            m_registered.erase(found);
            atspi_event_listener_deregister(m_listener, type.toUtf8().constData(), nullptr);
        }
    }
}

void AtspiEventHub::add(const std::shared_ptr<AtspiObserver>& observer)
{
    std::erase_if(m_observers, [](const std::weak_ptr<AtspiObserver>& weak) { return weak.expired(); });
    m_observers.push_back(observer);
}

bool AtspiEventHub::watchSelections(qint64 ownPid, std::function<void()> onChange)
{
    if (m_listener == nullptr) {
        return false;
    }
    const bool watching = bool(m_onSelectionChange);
    m_selectionOwnPid = ownPid;
    m_onSelectionChange = std::move(onChange);
    if (watching == bool(m_onSelectionChange)) {
        return true;
    }
    if (!m_onSelectionChange) {
        atspi_event_listener_deregister(m_listener, kSelectionEvent.toUtf8().constData(), nullptr);
        return true;
    }
    GError* error = nullptr;
    const bool registered = atspi_event_listener_register(m_listener, kSelectionEvent.toUtf8().constData(), &error);
    if (error != nullptr) {
        g_error_free(error);
    }
    if (!registered) {
        m_onSelectionChange = nullptr;
    }
    return registered;
}

void AtspiEventHub::onEvent(_AtspiEvent* event, void* self)
{
    static_cast<AtspiEventHub*>(self)->handle(event);
    g_boxed_free(ATSPI_TYPE_EVENT, event);
}

void AtspiEventHub::handle(_AtspiEvent* event)
{
    if (event->source == nullptr || event->type == nullptr) {
        return;
    }
    const QString type = QString::fromUtf8(event->type);
    // Keeping the focused element makes no call, so it is done at once, even inside another call.
    if (type.startsWith(kFocusEvent)) {
        if (event->detail1 != 0) {
            setFocused(event->source);
        } else if (event->source == m_focused) {
            setFocused(nullptr);
        }
    }
    const bool selectionMoved =
        type.startsWith(kSelectionEvent) || (type.startsWith(kFocusEvent) && event->detail1 != 0);
    if (selectionMoved && m_onSelectionChange) {
        // Telling our own windows apart needs the source's process, which may take a call.
        auto* source = static_cast<AtspiAccessible*>(g_object_ref(event->source));
        QMetaObject::invokeMethod(
            m_context.get(),
            [this, source, isSelection = type.startsWith(kSelectionEvent)] {
                if (m_onSelectionChange && m_pidOf(source) != m_selectionOwnPid) {
                    // The element whose selection changed is where the user works, even when its
                    // focus event came before this process listened.
                    if (isSelection) {
                        setFocused(source);
                    }
                    m_onSelectionChange();
                }
                g_object_unref(source);
            },
            Qt::QueuedConnection);
    }
    if (m_observers.empty()) {
        return;
    }
    // Matching needs the source's process, which may take a call: it waits for the event loop.
    auto* source = static_cast<AtspiAccessible*>(g_object_ref(event->source));
    const int detail1 = event->detail1;
    QMetaObject::invokeMethod(
        m_context.get(),
        [this, source, type, detail1] {
            deliver(source, type, detail1);
            g_object_unref(source);
        },
        Qt::QueuedConnection);
}

void AtspiEventHub::deliver(_AtspiAccessible* source, const QString& type, int detail1)
{
    std::optional<qint64> pid;
    for (const std::weak_ptr<AtspiObserver>& weak : m_observers) {
        const std::shared_ptr<AtspiObserver> observer = weak.lock();
        if (!observer || observer->context() == nullptr) {
            continue;
        }
        for (const AtspiSubscription& subscription : observer->subscriptions()) {
            if (!AtspiVocabulary::eventMatches(subscription.notification, type, detail1) ||
                !covers(subscription.element, source)) {
                continue;
            }
            if (!pid) {
                pid = m_pidOf(source);
            }
            if (*pid != observer->pid()) {
                break;
            }
            const AXElementRef element(AtspiNode::element(source));
            const std::weak_ptr<AtspiObserver> target = observer;
            const QString notification = subscription.notification;
            QMetaObject::invokeMethod(
                observer->context(),
                [target, element, notification] {
                    if (const std::shared_ptr<AtspiObserver> alive = target.lock(); alive && alive->context()) {
                        alive->callback()(element, notification, std::nullopt);
                    }
                },
                Qt::QueuedConnection);
        }
    }
}

} // namespace quillora
