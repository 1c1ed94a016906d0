#include "capture/MenuItemSearch.h"

#include "capture/ElementAccessors.h"
#include "capture/Log.h"

#include <algorithm>

namespace quillora::capture {

namespace {

constexpr int kEditMenuIndex = 3;

// A read whose failure means the same as an absent value.
template <typename Read> auto readOrNone(Read read) -> decltype(read())
{
    try {
        return read();
    } catch (const AXError&) {
        return std::nullopt;
    }
}

bool hasIdentifier(const UIElement& element, SystemMenuItem item)
{
    return readOrNone([&] { return identifier(element); }) == rawValue(item);
}

} // namespace

std::optional<UIElement> deepFirst(const UIElement& element, const std::function<bool(const UIElement&)>& test)
{
    if (test(element)) {
        return element;
    }
    for (const UIElement& child : children(element).value_or(std::vector<UIElement>())) {
        if (auto hit = deepFirst(child, test)) {
            return hit;
        }
    }
    return std::nullopt;
}

bool findMenuItemInElement(const UIElement& element, SystemMenuItem item)
{
    const std::optional<QString> id = readOrNone([&] { return identifier(element); });
    if (!id) {
        return false;
    }
    if (*id == rawValue(item)) {
        logInfo(QStringLiteral("Found %1 item by identifier: %2").arg(caseName(item), privateValue(*id)));
        return true;
    }
    if (readOrNone([&] { return cmdChar(element); }) != shortcutChar(item)) {
        return false;
    }
    const std::optional<QString> itemTitle = readOrNone([&] { return title(element); });
    if (!matchesTitle(item, itemTitle)) {
        return false;
    }
    logInfo(QStringLiteral("Found %1 title item in menu: %2, identifier: %3")
                .arg(caseName(item), privateValue(*itemTitle), privateValue(*id)));
    return true;
}

std::vector<int> menuSearchOrder(int count)
{
    if (count <= kEditMenuIndex) {
        return {};
    }
    std::vector<int> order{kEditMenuIndex};
    // The Edit menu's neighbours are searched outward; menus far to the right come last. The
    // bound of at least seven keeps the left side complete on short bars.
    for (int offset = 1; kEditMenuIndex + offset < std::max(count, 7); ++offset) {
        if (kEditMenuIndex - offset >= 0) {
            order.push_back(kEditMenuIndex - offset);
        }
        if (kEditMenuIndex + offset < count) {
            order.push_back(kEditMenuIndex + offset);
        }
    }
    return order;
}

std::optional<UIElement> findMenuItem(const UIElement& application, SystemMenuItem item)
{
    const QString name = caseName(item);
    const auto test = [item](const UIElement& element) { return findMenuItemInElement(element, item); };
    try {
        const std::optional<UIElement> menuBar = menu(application);
        const std::optional<std::vector<UIElement>> menus = menuBar ? children(*menuBar) : std::nullopt;
        if (!menus) {
            logError(QStringLiteral("Menu children not found"));
            return std::nullopt;
        }
        const std::vector<int> order = menuSearchOrder(static_cast<int>(menus->size()));
        for (int index : order) {
            logInfo(index == kEditMenuIndex
                        ? QStringLiteral("Checking the Edit menu for %1, index: %2").arg(name).arg(index)
                        : QStringLiteral("Checking menu at index %1 for %2").arg(index).arg(name));
            if (auto hit = deepFirst(menus->at(static_cast<std::size_t>(index)), test)) {
                return hit;
            }
        }
        logInfo(QStringLiteral("%1 not found in adjacent menus, searching entire menu").arg(name));
        return deepFirst(*menuBar, test);
    } catch (const Error& error) {
        logError(QStringLiteral("Error finding menu item %1: %2").arg(name, error.debugDescription()));
        return std::nullopt;
    }
}

std::optional<UIElement> findCopyMenuItem(const UIElement& application)
{
    return findMenuItem(application, SystemMenuItem::copy);
}

std::optional<UIElement> findPasteMenuItem(const UIElement& application)
{
    return findMenuItem(application, SystemMenuItem::paste);
}

bool isCopyIdentifier(const UIElement& element)
{
    return hasIdentifier(element, SystemMenuItem::copy);
}

bool isPasteIdentifier(const UIElement& element)
{
    return hasIdentifier(element, SystemMenuItem::paste);
}

bool isCopyTitle(const UIElement& element)
{
    return matchesTitle(SystemMenuItem::copy, title(element));
}

bool isPasteTitle(const UIElement& element)
{
    return matchesTitle(SystemMenuItem::paste, title(element));
}

} // namespace quillora::capture
