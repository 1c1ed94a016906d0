#pragma once

#include "ui/FrameTicker.h"
#include "ui/Tween.h"

#include <QWidget>

namespace quillora {

class IconState;

/**
 * The floating icon's drawing: a blue gradient disc of 44 points with a gloss, a text-cursor
 * glyph and the arming ring, inside 10 points of transparent padding (64 × 64 in all). The disc
 * grows to 1.18 times its size while the pointer is over it and shrinks to 0.9 once activated.
 */
class FloatingIconView final : public QWidget
{
    Q_OBJECT

public:
    /** A view drawing `state`, which must outlive it. */
    explicit FloatingIconView(IconState& state, QWidget* parent = nullptr);

    static constexpr double iconSize = 44;
    static constexpr double padding = 10;
    static constexpr double hoverScale = 1.18;
    static constexpr double clickedScale = 0.9;

    /** True while the pointer is over the 44 × 44 disc. */
    [[nodiscard]] bool isHovered() const { return m_isHovered; }

    /** Sets the hover flag; the scale follows with a spring unless `animated` is false. */
    void setHovered(bool hovered, bool animated = true);

    /**
     * In a shaped window (nothing composites) the disc keeps its resting size, the window's
     * shape: grown, it would be cut; shrunk, the shape's rim would show black.
     */
    void setShaped(bool shaped) { m_shaped = shaped; }

    /** The scale the disc is drawn at now. */
    [[nodiscard]] double currentScale() const;

    /** The disc's frame in the view, unscaled. */
    [[nodiscard]] QRectF iconRect() const;

    /** Redraws now and keeps redrawing while something moves. */
    void refresh();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    [[nodiscard]] bool isAnimating() const;

    IconState& m_state;
    bool m_isHovered = false;
    bool m_shaped = false;
    Tween m_hoverScale{1.0};
    FrameTicker m_ticker;
};

} // namespace quillora
