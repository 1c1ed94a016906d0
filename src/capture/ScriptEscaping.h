#pragma once

#include <QString>

namespace quillora {

/**
 * `text` made safe inside a single-quoted JavaScript string literal: backslashes, single quotes,
 * line and paragraph separators and line breaks are escaped, so the text stays data and never
 * ends the literal. Text without those characters is returned unchanged.
 */
[[nodiscard]] QString escapedForJavaScriptString(const QString& text);

/**
 * `text` made safe inside a double-quoted AppleScript string: backslashes and double quotes are
 * escaped. Text without them is returned unchanged.
 */
[[nodiscard]] QString escapedForAppleScriptString(const QString& text);

} // namespace quillora
