#pragma once

#include "ui/Glyphs.h"

#include <QColor>
#include <QFont>
#include <QString>

#include <optional>

class QAbstractButton;
class QLabel;
class QPainter;
class QRectF;
class QToolButton;
class QWidget;

namespace quillora {

/** The small building blocks the history and settings windows share. */
class ShellStyle final
{
public:
    ShellStyle() = delete;

    /** A label showing `text` in `font` and `color`. */
    [[nodiscard]] static QLabel* label(const QString& text, const QFont& font, const QColor& color,
                                       QWidget* parent = nullptr);

    /** Sets the text colour of `widget` through its palette (follows no later palette change). */
    static void setTextColor(QWidget& widget, const QColor& color);

    /**
     * A borderless button showing `glyph` at `side` points in `color`, read out by screen readers
     * as `accessibleName` and shown as hover help. `tile` puts it on a rounded tile of the
     * secondary colour at 10 % opacity.
     */
    [[nodiscard]] static QToolButton* glyphButton(Glyph glyph, int side, const QColor& color,
                                                  const QString& accessibleName, bool tile = false,
                                                  QWidget* parent = nullptr);

    /** A plain text button (no bevel) in `font` and `color`, optionally with a leading glyph. */
    [[nodiscard]] static QToolButton* plainButton(const QString& text, const QFont& font, const QColor& color,
                                                  std::optional<Glyph> glyph = std::nullopt, QWidget* parent = nullptr);

    /**
     * A small filled button with white text on `tint` and rounded corners of `radius`, as the
     * banners use.
     */
    [[nodiscard]] static QToolButton* prominentButton(const QString& text, const QColor& tint, const QColor& textColor,
                                                      double radius, QWidget* parent = nullptr);

    /**
     * Paints a rounded card of `fill` with a soft shadow below it of black at `shadowOpacity`,
     * spread over `shadowRadius` points and moved `shadowOffset` points down.
     */
    static void paintCard(QPainter& painter, const QRectF& rect, double radius, const QColor& fill,
                          double shadowOpacity, double shadowRadius, double shadowOffset);
};

} // namespace quillora
