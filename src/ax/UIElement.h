#pragma once

#include "ax/AXError.h"
#include "ax/AXUnpack.h"
#include "ax/Action.h"
#include "ax/Attribute.h"
#include "ax/Role.h"
#include "ax/Subrole.h"
#include "platform/Accessibility.h"

#include <QStringList>

#include <map>
#include <optional>
#include <vector>

namespace quillora {

/**
 * A typed wrapper of one accessibility element. Each operation is one or a few synchronous calls
 * to the platform that wait at most the messaging time-out; each throws `AXError` with the
 * platform's code, except for the codes that the operation takes to mean "nothing there", which
 * give an empty answer instead. Wrappers are cheap: operations that return elements make new ones.
 * Two wrappers are equal when they refer to the same element.
 *
 * Values travel as `AXAny`: element references stay `AXElementRef` (wrap them in a `UIElement`),
 * typed values are `AXPoint`, `AXSize`, `AXRect`, `AXRange` and `AXErrorValue`. The typed reads
 * (`attribute<T>`, …) convert them as `unpack<T>` does.
 */
class UIElement
{
public:
    explicit UIElement(AXElementRef element);
    UIElement(const UIElement&) = default;
    UIElement& operator=(const UIElement&) = default;
    virtual ~UIElement() = default;

    [[nodiscard]] const AXElementRef& element() const { return m_element; }

    /** True when the process may use accessibility; with `TrustPrompt::Prompt` the user is asked. */
    [[nodiscard]] static bool isProcessTrusted(TrustPrompt prompt);

    /** The messaging time-out of the shared system-wide element, which applies to every element. */
    [[nodiscard]] static float globalMessagingTimeout();
    static void setGlobalMessagingTimeout(float seconds);

    /** The attributes with a known name; each unknown name is written to standard output. */
    [[nodiscard]] std::vector<Attribute> attributes() const;
    /** Every attribute name; empty when the element reports none. */
    [[nodiscard]] virtual QStringList attributesAsStrings() const;

    /** True when the element has the attribute, with or without a value now. */
    [[nodiscard]] bool attributeIsSupported(Attribute attribute) const;
    [[nodiscard]] virtual bool attributeIsSupported(const QString& attribute) const;

    /** True when the attribute can be written; false when it is absent. */
    [[nodiscard]] bool attributeIsSettable(Attribute attribute) const;
    [[nodiscard]] virtual bool attributeIsSettable(const QString& attribute) const;

    /** An attribute's value as any value; none when absent or without a value. */
    [[nodiscard]] virtual std::optional<AXAny> attributeValue(const QString& attribute) const;

    /** An attribute's value as a T; none when absent; throws IllegalArgument when it is not a T. */
    template <typename T> [[nodiscard]] std::optional<T> attribute(Attribute attribute) const;
    template <typename T> [[nodiscard]] std::optional<T> attribute(const QString& attribute) const;

    /** Writes an attribute. Throws any error. */
    void setAttribute(Attribute attribute, const AXAny& value) const;
    virtual void setAttribute(const QString& attribute, const AXAny& value) const;
    void setAttribute(const QString& attribute, const UIElement& value) const;

    /**
     * Several attributes in one call. Attributes without a value, or absent, have no entry; any
     * other per-attribute error is thrown and the partial answer dropped.
     */
    [[nodiscard]] std::map<Attribute, AXAny> getMultipleAttributes(const std::vector<Attribute>& attributes) const;
    template <typename... Rest>
    [[nodiscard]] std::map<Attribute, AXAny> getMultipleAttributes(Attribute first, Rest... rest) const
    {
        return getMultipleAttributes(std::vector<Attribute>{first, rest...});
    }
    [[nodiscard]] virtual std::map<QString, AXAny> getMultipleAttributes(const QStringList& attributes) const;

    /** A list attribute with each member read as a T; throws IllegalArgument when it does not fit. */
    template <typename T> [[nodiscard]] std::optional<std::vector<T>> arrayAttribute(Attribute attribute) const;
    template <typename T> [[nodiscard]] std::optional<std::vector<T>> arrayAttribute(const QString& attribute) const;

    /** Up to `maxValues` members of a list attribute from `startAtIndex` on; none when absent. */
    [[nodiscard]] virtual std::optional<AXList> rawValuesForAttribute(const QString& attribute, qint64 startAtIndex,
                                                                      qint64 maxValues) const;
    template <typename T>
    [[nodiscard]] std::optional<std::vector<T>> valuesForAttribute(const QString& attribute, qint64 startAtIndex,
                                                                   qint64 maxValues) const;

    /** The length of a list attribute; none when absent or not a list. */
    [[nodiscard]] std::optional<qint64> valueCountForAttribute(Attribute attribute) const;
    [[nodiscard]] virtual std::optional<qint64> valueCountForAttribute(const QString& attribute) const;

    /** The parameterized attributes with a known name (unknown ones are left out). */
    [[nodiscard]] std::vector<Attribute> parameterizedAttributes() const;
    [[nodiscard]] virtual QStringList parameterizedAttributesAsStrings() const;

    /** A parameterized attribute's value for `parameter`; none when absent or without a value. */
    [[nodiscard]] virtual std::optional<AXAny> parameterizedAttributeValue(const QString& attribute,
                                                                           const AXAny& parameter) const;
    template <typename T>
    [[nodiscard]] std::optional<T> parameterizedAttribute(Attribute attribute, const AXAny& parameter) const;
    template <typename T>
    [[nodiscard]] std::optional<T> parameterizedAttribute(const QString& attribute, const AXAny& parameter) const;

    /** The actions with a known name (unknown ones are left out). */
    [[nodiscard]] std::vector<Action> actions() const;
    [[nodiscard]] virtual QStringList actionsAsStrings() const;

    /** A readable description of an action; none when the element has no such action. */
    [[nodiscard]] std::optional<QString> actionDescription(Action action) const;
    [[nodiscard]] virtual std::optional<QString> actionDescription(const QString& action) const;

    /** Performs an action. Throws any error. */
    void performAction(Action action) const;
    virtual void performAction(const QString& action) const;

    /** The owning process. Throws any error. */
    [[nodiscard]] virtual qint64 pid() const;

    /** Seconds that calls on this element may wait; 0 means the platform default. */
    [[nodiscard]] float messagingTimeout() const { return m_messagingTimeout; }
    /**
     * Stores the time-out (0 for a value of 0 or less) and applies it. An unexpected platform error
     * is reported on the diagnostic log; the stored value stays.
     */
    virtual void setMessagingTimeout(float seconds);

    /** The frontmost element at a screen point (screen points); none when nothing is there. */
    [[nodiscard]] virtual std::optional<UIElement> elementAtPosition(float x, float y) const;

    /** The role as a case; none without a role or for a role outside the vocabulary. */
    [[nodiscard]] std::optional<Role> role() const;
    [[nodiscard]] std::optional<Subrole> subrole() const;

    /** Text form for logs: <role "name" (pid=N)>. Never throws. */
    [[nodiscard]] QString description() const;

    /** Text form of every known attribute and its value; "InvalidUIElement" when they cannot be read. */
    [[nodiscard]] QString inspect() const;

    friend bool operator==(const UIElement& a, const UIElement& b) { return a.m_element == b.m_element; }

protected:
    [[nodiscard]] static Accessibility& platform();

private:
    AXElementRef m_element;
    float m_messagingTimeout = 0;
};

inline std::size_t qHash(const UIElement& element, std::size_t seed = 0) noexcept
{
    return qHash(element.element(), seed);
}

/** The process trust check; with `TrustPrompt::Prompt` the platform asks the user when needed. */
[[nodiscard]] bool checkIsProcessTrusted(TrustPrompt prompt);

namespace detail {
// Reads a value as a T. A value of another type is the caller's mistake; it is reported as
// IllegalArgument rather than trusted.
template <typename T> T unpackChecked(const AXAny& value)
{
    std::optional<T> typed = unpack<T>(value);
    if (!typed) {
        throw AXError(AXResult::IllegalArgument);
    }
    return std::move(*typed);
}

// An absent value stays absent; a present one is read as a T.
template <typename T> std::optional<T> unpackIfPresent(const std::optional<AXAny>& value)
{
    if (!value) {
        return std::nullopt;
    }
    return unpackChecked<T>(*value);
}

// Reads each member of a list as a T.
template <typename T> std::vector<T> unpackEach(const AXList& list)
{
    std::vector<T> result;
    result.reserve(list.size());
    for (const AXAny& member : list) {
        result.push_back(unpackChecked<T>(member));
    }
    return result;
}
} // namespace detail

template <typename T> std::optional<T> UIElement::attribute(Attribute attribute) const
{
    return this->attribute<T>(rawValue(attribute));
}

template <typename T> std::optional<T> UIElement::attribute(const QString& attribute) const
{
    return detail::unpackIfPresent<T>(attributeValue(attribute));
}

template <typename T> std::optional<std::vector<T>> UIElement::arrayAttribute(Attribute attribute) const
{
    return arrayAttribute<T>(rawValue(attribute));
}

template <typename T> std::optional<std::vector<T>> UIElement::arrayAttribute(const QString& attribute) const
{
    const std::optional<AXAny> value = attributeValue(attribute);
    if (!value) {
        return std::nullopt;
    }
    const AXList* list = value->get<AXList>();
    if (list == nullptr) {
        throw AXError(AXResult::IllegalArgument);
    }
    return detail::unpackEach<T>(*list);
}

template <typename T>
std::optional<std::vector<T>> UIElement::valuesForAttribute(const QString& attribute, qint64 startAtIndex,
                                                            qint64 maxValues) const
{
    const std::optional<AXList> values = rawValuesForAttribute(attribute, startAtIndex, maxValues);
    if (!values) {
        return std::nullopt;
    }
    return detail::unpackEach<T>(*values);
}

template <typename T>
std::optional<T> UIElement::parameterizedAttribute(Attribute attribute, const AXAny& parameter) const
{
    return parameterizedAttribute<T>(rawValue(attribute), parameter);
}

template <typename T>
std::optional<T> UIElement::parameterizedAttribute(const QString& attribute, const AXAny& parameter) const
{
    return detail::unpackIfPresent<T>(parameterizedAttributeValue(attribute, parameter));
}

} // namespace quillora

template <> struct std::hash<quillora::UIElement>
{
    std::size_t operator()(const quillora::UIElement& element) const noexcept { return qHash(element); }
};
