#pragma once

#include "ui/Glyphs.h"

#include <QWidget>

namespace quillora {

/** A fixed-size widget showing one glyph in one colour. */
class GlyphView final : public QWidget
{
    Q_OBJECT

public:
    /** A `side` × `side` view of `glyph` in `color`. */
    GlyphView(Glyph glyph, double side, QColor color, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Glyph m_glyph;
    QColor m_color;
};

} // namespace quillora
