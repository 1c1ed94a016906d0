#pragma once

#include "ui/Glyphs.h"

#include <QIcon>

namespace quillora {

/**
 * An icon of `glyph` in `color`, drawn at `side` points and at twice that for high-density
 * screens, for buttons, tabs and the tray.
 */
[[nodiscard]] QIcon glyphIcon(Glyph glyph, const QColor& color, int side = 16, bool bold = false);

} // namespace quillora
