#pragma once

#include <QFont>

namespace quillora {

/** The application font at a size given in points (one point is one logical pixel). */
class SystemFont final
{
public:
    SystemFont() = delete;

    /** The application font, `size` points high, with `weight`. */
    [[nodiscard]] static QFont font(double size, QFont::Weight weight = QFont::Normal);
};

} // namespace quillora
