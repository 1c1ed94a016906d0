#include "capture/ElementAccessors.h"

namespace quillora::capture {

std::optional<UIElement> focusedUIElement(const UIElement& element)
{
    return element.attribute<UIElement>(Attribute::focusedUIElement);
}

std::optional<QString> roleValue(const UIElement& element)
{
    return element.attribute<QString>(Attribute::role);
}

std::optional<QString> value(const UIElement& element)
{
    return element.attribute<QString>(Attribute::value);
}

std::optional<QString> selectedText(const UIElement& element)
{
    return element.attribute<QString>(Attribute::selectedText);
}

std::optional<AXRange> selectedTextRange(const UIElement& element)
{
    return element.attribute<AXRange>(Attribute::selectedTextRange);
}

std::optional<QString> cmdChar(const UIElement& element)
{
    return element.attribute<QString>(QString::fromLatin1(MenuItemAttribute::cmdChar));
}

std::optional<qint64> cmdVirtualKey(const UIElement& element)
{
    return element.attribute<qint64>(QString::fromLatin1(MenuItemAttribute::cmdVirtualKey));
}

std::optional<qint64> cmdModifiers(const UIElement& element)
{
    return element.attribute<qint64>(QString::fromLatin1(MenuItemAttribute::cmdModifiers));
}

std::optional<QString> title(const UIElement& element)
{
    return element.attribute<QString>(Attribute::title);
}

std::optional<QString> identifier(const UIElement& element)
{
    return element.attribute<QString>(Attribute::identifier);
}

std::optional<UIElement> menu(const UIElement& element)
{
    return element.attribute<UIElement>(Attribute::menuBar);
}

std::optional<bool> isEnabled(const UIElement& element)
{
    return element.attribute<bool>(Attribute::enabled);
}

std::optional<std::vector<UIElement>> children(const UIElement& element)
{
    return element.arrayAttribute<UIElement>(Attribute::children);
}

} // namespace quillora::capture
