#pragma once

#include <QSet>
#include <QString>

#include <optional>

namespace quillora {

/** The four standard edit commands whose menu items the toolkit looks for. */
enum class SystemMenuItem { copy, paste, cut, selectAll };

/** The case name ("copy", "paste", "cut", "selectAll"), as log lines show it. */
[[nodiscard]] QString caseName(SystemMenuItem item);

/** The item's accessibility identifier: "copy:", "paste:", "cut:" or "selectAll:". */
[[nodiscard]] QString rawValue(SystemMenuItem item);

/** The item's shortcut character: "C", "V", "X" or "A". */
[[nodiscard]] QString shortcutChar(SystemMenuItem item);

/** The item's titles in 35 languages, as a set (built once, on first use). */
[[nodiscard]] const QSet<QString>& localizedTitles(SystemMenuItem item);

/** Exact membership of `title` in the item's titles; an absent title never matches. */
[[nodiscard]] bool matchesTitle(SystemMenuItem item, const std::optional<QString>& title);

} // namespace quillora
