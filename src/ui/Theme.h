#pragma once

#include <QColor>

namespace quillora {

/**
 * The application's palette. Each colour has a light and a dark variant; the variant follows the
 * application palette (a dark window colour picks the dark variants), so a theme switch needs no
 * restart.
 */
class Theme final
{
public:
    Theme() = delete;

    /** The main window's backdrop. */
    [[nodiscard]] static QColor background();

    /** The accent: buttons, accent bars, the tracking controls. */
    [[nodiscard]] static QColor primaryButton();

    /** Cards and control bars: the palette's control background (QPalette::Base). */
    [[nodiscard]] static QColor cardBackground();

    /** Background of the preset-name tags. */
    [[nodiscard]] static QColor tagBackground();

    /** Text of the preset-name tags. */
    [[nodiscard]] static QColor tagText();

    /** Body text colour of the palette (the primary label colour). */
    [[nodiscard]] static QColor primaryText();

    /** Secondary label colour: the body text colour, subdued. */
    [[nodiscard]] static QColor secondaryText();

    /** True when the application palette is dark. */
    [[nodiscard]] static bool isDark();

    /** `color` with its alpha multiplied by `opacity`. */
    [[nodiscard]] static QColor withOpacity(QColor color, double opacity);
};

} // namespace quillora
