#pragma once

#include "ax/UIElement.h"
#include "capture/SystemMenuItem.h"

#include <functional>
#include <optional>
#include <vector>

namespace quillora::capture {

/**
 * Pre-order depth-first search from `element`: the first element for which `test` holds. Elements
 * without children count as leaves. Errors of the reads end the search and are thrown.
 */
[[nodiscard]] std::optional<UIElement> deepFirst(const UIElement& element,
                                                 const std::function<bool(const UIElement&)>& test);

/**
 * Whether `element` is the menu item of `item`: by its identifier, else by its shortcut character
 * together with a localized title. An element without identifier never matches. Failed reads count
 * as absent. Logs the match.
 */
[[nodiscard]] bool findMenuItemInElement(const UIElement& element, SystemMenuItem item);

/**
 * The indices of the top-level menus searched before the whole menu bar, for a bar of `count`
 * menus: the Edit menu (index 3), then its neighbours moving outward, left before right. Empty for
 * fewer than four menus.
 */
[[nodiscard]] std::vector<int> menuSearchOrder(int count);

/**
 * Searches the menu bar of application element `application` for `item`: the menus in
 * `menuSearchOrder`, then the whole bar. Errors are logged and give none; never throws.
 */
[[nodiscard]] std::optional<UIElement> findMenuItem(const UIElement& application, SystemMenuItem item);
[[nodiscard]] std::optional<UIElement> findCopyMenuItem(const UIElement& application);
[[nodiscard]] std::optional<UIElement> findPasteMenuItem(const UIElement& application);

/** Whether the element's identifier is "copy:" / "paste:"; failed reads count as false. */
[[nodiscard]] bool isCopyIdentifier(const UIElement& element);
[[nodiscard]] bool isPasteIdentifier(const UIElement& element);

/** Whether the element's title is a Copy / Paste title. Read errors are thrown. */
[[nodiscard]] bool isCopyTitle(const UIElement& element);
[[nodiscard]] bool isPasteTitle(const UIElement& element);

} // namespace quillora::capture
