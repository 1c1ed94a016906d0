#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace quillora {

/**
 * The ways of reading the selected text: the automatic order, the focused element's accessibility
 * attribute, a browser script, the application's Copy menu item and the copy shortcut. The raw
 * values are fixed: callers pass them as plain integers.
 */
enum class TextStrategy : int { auto_ = 0, accessibility = 1, appleScript = 2, menuAction = 3, shortcut = 4 };

/** "Auto", "Accessibility", "AppleScript", "Menu Action" or "Keyboard Shortcut". */
[[nodiscard]] QString description(TextStrategy strategy);

/** The strategy's raw value, 0 to 4. */
[[nodiscard]] constexpr int rawValue(TextStrategy strategy)
{
    return static_cast<int>(strategy);
}

/** Every strategy, in raw-value order. */
[[nodiscard]] const QList<TextStrategy>& allTextStrategies();

/** The strategy with this raw value; none outside 0 to 4. */
[[nodiscard]] std::optional<TextStrategy> textStrategyFromRaw(int rawValue);

} // namespace quillora
