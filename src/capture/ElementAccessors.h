#pragma once

#include "ax/UIElement.h"

#include <optional>
#include <vector>

namespace quillora::capture {

/** Attribute names of menu items that the element layer's vocabulary lacks. */
struct MenuItemAttribute
{
    static constexpr auto cmdChar = "AXMenuItemCmdChar";
    static constexpr auto cmdVirtualKey = "AXMenuItemCmdVirtualKey";
    static constexpr auto cmdModifiers = "AXMenuItemCmdModifiers";
};

// One-attribute reads used by the toolkit. Each gives none when the attribute is absent or has no
// value, and throws `AXError` as `UIElement::attribute` does.

/** "AXFocusedUIElement". */
[[nodiscard]] std::optional<UIElement> focusedUIElement(const UIElement& element);
/** "AXRole" as text. */
[[nodiscard]] std::optional<QString> roleValue(const UIElement& element);
/** "AXValue" as text. */
[[nodiscard]] std::optional<QString> value(const UIElement& element);
/** "AXSelectedText". */
[[nodiscard]] std::optional<QString> selectedText(const UIElement& element);
/** "AXSelectedTextRange". */
[[nodiscard]] std::optional<AXRange> selectedTextRange(const UIElement& element);
/** "AXMenuItemCmdChar". */
[[nodiscard]] std::optional<QString> cmdChar(const UIElement& element);
/** "AXMenuItemCmdVirtualKey". */
[[nodiscard]] std::optional<qint64> cmdVirtualKey(const UIElement& element);
/** "AXMenuItemCmdModifiers". */
[[nodiscard]] std::optional<qint64> cmdModifiers(const UIElement& element);
/** "AXTitle". */
[[nodiscard]] std::optional<QString> title(const UIElement& element);
/** "AXIdentifier". */
[[nodiscard]] std::optional<QString> identifier(const UIElement& element);
/** "AXMenuBar" of an application element. */
[[nodiscard]] std::optional<UIElement> menu(const UIElement& element);
/** "AXEnabled". */
[[nodiscard]] std::optional<bool> isEnabled(const UIElement& element);
/** "AXChildren". */
[[nodiscard]] std::optional<std::vector<UIElement>> children(const UIElement& element);

} // namespace quillora::capture
