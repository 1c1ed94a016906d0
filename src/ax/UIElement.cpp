#include "ax/UIElement.h"

#include "ax/SystemWideElement.h"
#include "platform/Platform.h"
#include "platform/Workspace.h"

#include <QDebug>
#include <QTextStream>

namespace quillora {

namespace {

bool isAbsent(AXResult code)
{
    return code == AXResult::NoValue || code == AXResult::AttributeUnsupported;
}

// The reply's value; none when the element has no such value; any other failure is thrown.
template <typename T> std::optional<T> valueUnlessAbsent(const AXReply<T>& reply)
{
    if (reply.ok()) {
        return reply.value;
    }
    if (isAbsent(reply.result)) {
        return std::nullopt;
    }
    throw AXError(reply.result);
}

// The names the reply lists; none when the element has nothing to list; any other failure is thrown.
QStringList namesUnlessAbsent(const AXReply<QStringList>& reply)
{
    if (!reply.ok() && !isAbsent(reply.result)) {
        throw AXError(reply.result);
    }
    return reply.value;
}

QString quoted(const QString& text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString number(double value)
{
    return QString::number(value, 'g', 17);
}

// The text form of a value inside `inspect`: texts quoted, elements by their own text form.
QString valueText(const AXAny& value)
{
    return std::visit(
        [](const auto& held) -> QString {
            using T = std::decay_t<decltype(held)>;
            if constexpr (std::is_same_v<T, AXNull>) {
                return QStringLiteral("nil");
            } else if constexpr (std::is_same_v<T, QString>) {
                return quoted(held);
            } else if constexpr (std::is_same_v<T, bool>) {
                return held ? QStringLiteral("true") : QStringLiteral("false");
            } else if constexpr (std::is_same_v<T, qint64>) {
                return QString::number(held);
            } else if constexpr (std::is_same_v<T, double>) {
                return number(held);
            } else if constexpr (std::is_same_v<T, AXList>) {
                QStringList members;
                for (const AXAny& member : held) {
                    members << valueText(member);
                }
                return QLatin1Char('[') + members.join(QStringLiteral(", ")) + QLatin1Char(']');
            } else if constexpr (std::is_same_v<T, AXDictionary>) {
                QStringList entries;
                for (const auto& [key, member] : held) {
                    entries << quoted(key) + QStringLiteral(": ") + valueText(member);
                }
                return entries.isEmpty() ? QStringLiteral("[:]")
                                         : QLatin1Char('[') + entries.join(QStringLiteral(", ")) + QLatin1Char(']');
            } else if constexpr (std::is_same_v<T, AXElementRef>) {
                return UIElement(held).description();
            } else if constexpr (std::is_same_v<T, AXPoint>) {
                return QStringLiteral("(x: %1, y: %2)").arg(number(held.x), number(held.y));
            } else if constexpr (std::is_same_v<T, AXSize>) {
                return QStringLiteral("(width: %1, height: %2)").arg(number(held.width), number(held.height));
            } else if constexpr (std::is_same_v<T, AXRect>) {
                return QStringLiteral("(x: %1, y: %2, width: %3, height: %4)")
                    .arg(number(held.origin.x), number(held.origin.y), number(held.size.width),
                         number(held.size.height));
            } else if constexpr (std::is_same_v<T, AXRange>) {
                return QStringLiteral("(location: %1, length: %2)").arg(held.location).arg(held.length);
            } else {
                return AXError(held.code).debugDescription();
            }
        },
        value.storage());
}

template <typename E> std::vector<E> knownCases(const QStringList& names)
{
    std::vector<E> cases;
    for (const QString& name : names) {
        if (auto known = fromRawValue<E>(name)) {
            cases.push_back(*known);
        }
    }
    return cases;
}

} // namespace

UIElement::UIElement(AXElementRef element)
    : m_element(std::move(element))
{
}

Accessibility& UIElement::platform()
{
    return Platform::current().accessibility();
}

bool UIElement::isProcessTrusted(TrustPrompt prompt)
{
    return platform().isProcessTrusted(prompt);
}

bool checkIsProcessTrusted(TrustPrompt prompt)
{
    return UIElement::isProcessTrusted(prompt);
}

float UIElement::globalMessagingTimeout()
{
    return systemWideElement().messagingTimeout();
}

void UIElement::setGlobalMessagingTimeout(float seconds)
{
    systemWideElement().setMessagingTimeout(seconds);
}

std::vector<Attribute> UIElement::attributes() const
{
    std::vector<Attribute> known;
    for (const QString& name : attributesAsStrings()) {
        if (auto attribute = fromRawValue<Attribute>(name)) {
            known.push_back(*attribute);
        } else {
            QTextStream(stdout) << "Unrecognized attribute: " << name << Qt::endl;
        }
    }
    return known;
}

QStringList UIElement::attributesAsStrings() const
{
    return namesUnlessAbsent(platform().copyAttributeNames(m_element));
}

bool UIElement::attributeIsSupported(Attribute attribute) const
{
    return attributeIsSupported(rawValue(attribute));
}

bool UIElement::attributeIsSupported(const QString& attribute) const
{
    const AXReply<AXList> reply = platform().copyAttributeValues(m_element, attribute, 0, 0);
    switch (reply.result) {
    case AXResult::Success:
    case AXResult::NoValue:
    // The list read refuses an attribute whose value is not a list; that attribute exists all the same.
    case AXResult::IllegalArgument:
        return true;
    case AXResult::AttributeUnsupported:
        return false;
    default:
        throw AXError(reply.result);
    }
}

bool UIElement::attributeIsSettable(Attribute attribute) const
{
    return attributeIsSettable(rawValue(attribute));
}

bool UIElement::attributeIsSettable(const QString& attribute) const
{
    return valueUnlessAbsent(platform().isAttributeSettable(m_element, attribute)).value_or(false);
}

std::optional<AXAny> UIElement::attributeValue(const QString& attribute) const
{
    return valueUnlessAbsent(platform().copyAttributeValue(m_element, attribute));
}

void UIElement::setAttribute(Attribute attribute, const AXAny& value) const
{
    setAttribute(rawValue(attribute), value);
}

void UIElement::setAttribute(const QString& attribute, const AXAny& value) const
{
    const AXResult result = platform().setAttributeValue(m_element, attribute, value);
    if (result != AXResult::Success) {
        throw AXError(result);
    }
}

void UIElement::setAttribute(const QString& attribute, const UIElement& value) const
{
    setAttribute(attribute, AXAny(value.element()));
}

std::map<Attribute, AXAny> UIElement::getMultipleAttributes(const std::vector<Attribute>& attributes) const
{
    QStringList names;
    for (Attribute attribute : attributes) {
        names << rawValue(attribute);
    }
    std::map<Attribute, AXAny> result;
    for (auto& [name, value] : getMultipleAttributes(names)) {
        result.emplace(*fromRawValue<Attribute>(name), std::move(value));
    }
    return result;
}

std::map<QString, AXAny> UIElement::getMultipleAttributes(const QStringList& attributes) const
{
    const AXReply<AXList> reply = platform().copyMultipleAttributeValues(m_element, attributes);
    if (!reply.ok()) {
        throw AXError(reply.result);
    }
    std::map<QString, AXAny> result;
    const auto count = std::min<qsizetype>(attributes.size(), static_cast<qsizetype>(reply.value.size()));
    for (qsizetype i = 0; i < count; ++i) {
        const AXAny& value = reply.value[static_cast<std::size_t>(i)];
        if (value.isNull()) {
            continue;
        }
        if (const AXErrorValue* error = value.get<AXErrorValue>()) {
            if (isAbsent(error->code)) {
                continue;
            }
            throw AXError(error->code);
        }
        result.emplace(attributes[i], value);
    }
    return result;
}

std::optional<AXList> UIElement::rawValuesForAttribute(const QString& attribute, qint64 startAtIndex,
                                                       qint64 maxValues) const
{
    return valueUnlessAbsent(platform().copyAttributeValues(m_element, attribute, startAtIndex, maxValues));
}

std::optional<qint64> UIElement::valueCountForAttribute(Attribute attribute) const
{
    return valueCountForAttribute(rawValue(attribute));
}

std::optional<qint64> UIElement::valueCountForAttribute(const QString& attribute) const
{
    const AXReply<qint64> reply = platform().getAttributeValueCount(m_element, attribute);
    if (reply.ok()) {
        return reply.value;
    }
    if (reply.result == AXResult::AttributeUnsupported || reply.result == AXResult::IllegalArgument) {
        return std::nullopt;
    }
    throw AXError(reply.result);
}

std::vector<Attribute> UIElement::parameterizedAttributes() const
{
    return knownCases<Attribute>(parameterizedAttributesAsStrings());
}

QStringList UIElement::parameterizedAttributesAsStrings() const
{
    return namesUnlessAbsent(platform().copyParameterizedAttributeNames(m_element));
}

std::optional<AXAny> UIElement::parameterizedAttributeValue(const QString& attribute, const AXAny& parameter) const
{
    return valueUnlessAbsent(platform().copyParameterizedAttributeValue(m_element, attribute, parameter));
}

std::vector<Action> UIElement::actions() const
{
    return knownCases<Action>(actionsAsStrings());
}

QStringList UIElement::actionsAsStrings() const
{
    return namesUnlessAbsent(platform().copyActionNames(m_element));
}

std::optional<QString> UIElement::actionDescription(Action action) const
{
    return actionDescription(rawValue(action));
}

std::optional<QString> UIElement::actionDescription(const QString& action) const
{
    const AXReply<QString> reply = platform().copyActionDescription(m_element, action);
    if (reply.ok()) {
        return reply.value;
    }
    if (reply.result == AXResult::NoValue || reply.result == AXResult::ActionUnsupported) {
        return std::nullopt;
    }
    throw AXError(reply.result);
}

void UIElement::performAction(Action action) const
{
    performAction(rawValue(action));
}

void UIElement::performAction(const QString& action) const
{
    const AXResult result = platform().performAction(m_element, action);
    if (result != AXResult::Success) {
        throw AXError(result);
    }
}

qint64 UIElement::pid() const
{
    const AXReply<qint64> reply = platform().getPid(m_element);
    if (!reply.ok()) {
        throw AXError(reply.result);
    }
    return reply.value;
}

void UIElement::setMessagingTimeout(float seconds)
{
    m_messagingTimeout = seconds > 0 ? seconds : 0;
    const AXResult result = platform().setMessagingTimeout(m_element, m_messagingTimeout);
    if (result != AXResult::Success && result != AXResult::InvalidUIElement) {
        qWarning().noquote() << QStringLiteral("Unexpected error setting messaging timeout: ") +
                                    AXError(result).debugDescription();
    }
}

std::optional<UIElement> UIElement::elementAtPosition(float x, float y) const
{
    const AXReply<AXElementRef> reply = platform().copyElementAtPosition(m_element, x, y);
    if (reply.ok()) {
        return UIElement(reply.value);
    }
    if (reply.result == AXResult::NoValue) {
        return std::nullopt;
    }
    throw AXError(reply.result);
}

std::optional<Role> UIElement::role() const
{
    const std::optional<QString> raw = attribute<QString>(Attribute::role);
    return raw ? fromRawValue<Role>(*raw) : std::nullopt;
}

std::optional<Subrole> UIElement::subrole() const
{
    const std::optional<QString> raw = attribute<QString>(Attribute::subrole);
    return raw ? fromRawValue<Subrole>(*raw) : std::nullopt;
}

QString UIElement::description() const
{
    qint64 processId = 0;
    try {
        processId = pid();
    } catch (const AXError&) {
        processId = 0;
    }

    QString roleText;
    std::optional<Role> knownRole;
    try {
        knownRole = role();
        roleText = knownRole ? rawValue(*knownRole) : QStringLiteral("UIElementNoRole");
    } catch (const AXError& error) {
        roleText = error.code() == AXResult::InvalidUIElement ? QStringLiteral("InvalidUIElement")
                                                              : QStringLiteral("UnknownUIElement");
    }

    QString name;
    if (knownRole == Role::application) {
        if (auto app = Platform::current().workspace().application(processId)) {
            name = app->bundleIdentifier.value_or(QString());
        }
    } else if (knownRole == Role::window) {
        try {
            name = attribute<QString>(Attribute::title).value_or(QString());
        } catch (const AXError&) {
            name.clear();
        }
    } else {
        name = m_element.debugDescription();
    }
    return QStringLiteral("<%1 \"%2\" (pid=%3)>").arg(roleText, name).arg(processId);
}

QString UIElement::inspect() const
{
    std::map<Attribute, AXAny> values;
    std::vector<Attribute> names;
    try {
        names = attributes();
        values = getMultipleAttributes(names);
    } catch (const AXError&) {
        return QStringLiteral("InvalidUIElement");
    }
    if (values.empty()) {
        return QStringLiteral("[:]");
    }
    QStringList entries;
    for (Attribute attribute : names) {
        if (auto found = values.find(attribute); found != values.end()) {
            entries << rawValue(attribute) + QStringLiteral(": ") + valueText(found->second);
        }
    }
    return QLatin1Char('[') + entries.join(QStringLiteral(", ")) + QLatin1Char(']');
}

} // namespace quillora
