#pragma once

#include "platform/AXElementRef.h"
#include "platform/AXResult.h"
#include "platform/AXValue.h"

#include <QString>
#include <QStringList>

#include <qcoro/qcorotask.h>

#include <functional>
#include <memory>
#include <optional>

namespace quillora {

/** Whether a trust check may ask the user to grant the accessibility permission. */
enum class TrustPrompt { Silent, Prompt };

/** The answer of one accessibility call: a result code and, on success, a value. */
template <typename T> struct AXReply
{
    AXReply(T value)
        : value(std::move(value))
    {
    }
    AXReply(AXResult code)
        : result(code)
    {
    }

    [[nodiscard]] bool ok() const { return result == AXResult::Success; }

    AXResult result = AXResult::Success;
    T value{};
};

/** A backend's notification subscription. Released with its last reference. */
class AXObserverNode
{
public:
    AXObserverNode() = default;
    AXObserverNode(const AXObserverNode&) = delete;
    AXObserverNode& operator=(const AXObserverNode&) = delete;
    virtual ~AXObserverNode() = default;
};

using AXObserverRef = std::shared_ptr<AXObserverNode>;

/** Receives one notification: the element it concerns, its name and the optional information. */
using AXObserverCallback = std::function<void(const AXElementRef& element, const QString& notification,
                                              const std::optional<AXDictionary>& info)>;

/**
 * The desktop's accessibility interface. Every call is a round trip to another process on a real
 * desktop and answers with a result code; none throws. Elements are accessible objects; attribute
 * names are the "AX…" names ("AXRole", "AXChildren", "AXSelectedText", …), which a backend maps
 * onto its own properties and interfaces (role, name, children, states, text selection, action key
 * bindings); actions are "AX…" names too ("AXPress" is a backend's default action). Calls that
 * block wait at most the element's messaging time-out.
 */
class Accessibility
{
public:
    Accessibility() = default;
    Accessibility(const Accessibility&) = delete;
    Accessibility& operator=(const Accessibility&) = delete;
    virtual ~Accessibility() = default;

    /**
     * True when this process may use the accessibility interface. With `TrustPrompt::Prompt` the
     * platform asks the user to grant the permission when it is missing. Never fails.
     */
    [[nodiscard]] virtual bool isProcessTrusted(TrustPrompt prompt) = 0;

    /**
     * Asks the desktop to let this process use accessibility: opens the desktop's accessibility
     * settings, or turns accessibility on for the session where the desktop allows that. Returns
     * what the user should know afterwards (what was done, what is left to do, which running
     * applications must be restarted); empty when there is nothing to say. Never fails.
     */
    virtual QString openAccessibilitySettings() = 0;

    /**
     * Whether process `pid` answers accessibility calls within `budgetMs`, asked without blocking:
     * the calling thread's event loop runs while the answer is awaited. A stopped or hung
     * application answers false, so that callers can leave it alone instead of waiting out the
     * budget of every call they would make. True where a backend cannot tell.
     */
    virtual QCoro::Task<bool> answers(qint64 pid, int budgetMs)
    {
        Q_UNUSED(pid);
        Q_UNUSED(budgetMs);
        co_return true;
    }

    /** The application element of process `pid`. Always made; calls on it fail if the process has none. */
    [[nodiscard]] virtual AXElementRef createApplication(qint64 pid) = 0;

    /** The element that stands for the whole desktop. */
    [[nodiscard]] virtual AXElementRef createSystemWide() = 0;

    /** The element's attribute names. NoValue or AttributeUnsupported when it has none. */
    [[nodiscard]] virtual AXReply<QStringList> copyAttributeNames(const AXElementRef& element) = 0;

    /** One attribute's value. AttributeUnsupported when absent, NoValue when it has no value now. */
    [[nodiscard]] virtual AXReply<AXAny> copyAttributeValue(const AXElementRef& element, const QString& attribute) = 0;

    /**
     * Up to `maxValues` elements of a list attribute from `index` on. IllegalArgument when the
     * value is not a list or the range is negative.
     */
    [[nodiscard]] virtual AXReply<AXList> copyAttributeValues(const AXElementRef& element, const QString& attribute,
                                                              qint64 index, qint64 maxValues) = 0;

    /** The length of a list attribute. IllegalArgument when the value is not a list. */
    [[nodiscard]] virtual AXReply<qint64> getAttributeValueCount(const AXElementRef& element,
                                                                 const QString& attribute) = 0;

    /** Whether the attribute can be written. */
    [[nodiscard]] virtual AXReply<bool> isAttributeSettable(const AXElementRef& element, const QString& attribute) = 0;

    /** Writes an attribute. IllegalArgument when it cannot be written or the value does not fit. */
    [[nodiscard]] virtual AXResult setAttributeValue(const AXElementRef& element, const QString& attribute,
                                                     const AXAny& value) = 0;

    /**
     * Several attributes in one round trip: one value per name, in order. A position holds an
     * `AXErrorValue` when that attribute could not be read, or `AXNull` when it has no value.
     */
    [[nodiscard]] virtual AXReply<AXList> copyMultipleAttributeValues(const AXElementRef& element,
                                                                      const QStringList& attributes) = 0;

    /** The element's parameterized attribute names. */
    [[nodiscard]] virtual AXReply<QStringList> copyParameterizedAttributeNames(const AXElementRef& element) = 0;

    /** A parameterized attribute's value for `parameter`. */
    [[nodiscard]] virtual AXReply<AXAny>
    copyParameterizedAttributeValue(const AXElementRef& element, const QString& attribute, const AXAny& parameter) = 0;

    /** The element's action names. */
    [[nodiscard]] virtual AXReply<QStringList> copyActionNames(const AXElementRef& element) = 0;

    /** A readable description of an action. ActionUnsupported when the element has no such action. */
    [[nodiscard]] virtual AXReply<QString> copyActionDescription(const AXElementRef& element,
                                                                 const QString& action) = 0;

    /** Performs an action. ActionUnsupported when the element has no such action. */
    [[nodiscard]] virtual AXResult performAction(const AXElementRef& element, const QString& action) = 0;

    /**
     * The frontmost element at a screen point (screen points), looking only inside `element`'s
     * application, or anywhere for the system-wide element. NoValue when nothing is there.
     */
    [[nodiscard]] virtual AXReply<AXElementRef> copyElementAtPosition(const AXElementRef& element, float x,
                                                                      float y) = 0;

    /** The process that owns the element. */
    [[nodiscard]] virtual AXReply<qint64> getPid(const AXElementRef& element) = 0;

    /**
     * True when process `pid` has just let a call run out of its messaging time-out: it is hung
     * or busy, as opposed to having nothing to say. Keys sent to it now would run when it
     * resumes. False when it answered since, or where the backend cannot tell.
     */
    [[nodiscard]] virtual bool hasJustTimedOut(qint64 pid) const
    {
        Q_UNUSED(pid);
        return false;
    }

    /**
     * Sets how long calls on the element may wait, in seconds; 0 restores the default. On the
     * system-wide element it sets the time-out of every element without one of its own.
     */
    [[nodiscard]] virtual AXResult setMessagingTimeout(const AXElementRef& element, float seconds) = 0;

    /**
     * A subscription to notifications of process `pid`. `callback` runs on the event loop of the
     * thread that attached the observer, never inside another call, and never after the last
     * reference to the observer is released. The observer starts detached.
     */
    [[nodiscard]] virtual AXReply<AXObserverRef> createObserver(qint64 pid, AXObserverCallback callback) = 0;

    /** Subscribes to `notification` of `element`. NotificationAlreadyRegistered when already subscribed. */
    [[nodiscard]] virtual AXResult addNotification(const AXObserverRef& observer, const AXElementRef& element,
                                                   const QString& notification) = 0;

    /** Ends a subscription. NotificationNotRegistered when there was none. */
    [[nodiscard]] virtual AXResult removeNotification(const AXObserverRef& observer, const AXElementRef& element,
                                                      const QString& notification) = 0;

    /** Delivers the observer's notifications on the calling thread's event loop from now on. */
    virtual void attachObserver(const AXObserverRef& observer) = 0;

    /** Stops delivering; notifications not yet delivered are dropped. */
    virtual void detachObserver(const AXObserverRef& observer) = 0;
};

} // namespace quillora
