#pragma once

#include <QPointF>
#include <QRectF>
#include <QRegion>
#include <QSizeF>
#include <QWidget>

#include <optional>

namespace quillora {

/**
 * The window both floating panels are built on: a frameless tool window that stays above other
 * windows and never takes focus, so the application the user selected text in stays active while
 * the panel shows and when it is clicked. The panel is placed by its frame in the design's
 * coordinates; a transparent margin around it leaves room for a shadow.
 */
class FloatingPanel : public QWidget
{
    Q_OBJECT

public:
    /** A hidden window for a panel of `panelSize` points with `margin` transparent points around it. */
    FloatingPanel(QSizeF panelSize, int margin);

    /**
     * The visible frame (the screen less its panels and docks) of the first screen holding `p`,
     * or of the main screen when none does; none when there is no screen. Design coordinates.
     */
    [[nodiscard]] static std::optional<QRectF> visibleFrameAt(QPointF p);

    /**
     * `origin` moved the least distance that puts a panel of `size` wholly inside `visible`; a
     * panel larger than `visible` keeps its left and top edges inside.
     */
    [[nodiscard]] static QPointF keptInside(QPointF origin, QSizeF size, const QRectF& visible);

    /** The panel's frame (without the margin) in the design's coordinates. */
    [[nodiscard]] QRectF panelFrame() const { return {m_origin, m_panelSize}; }

protected:
    /** Moves the panel so that its bottom-left corner is at `origin`, in the design's coordinates. */
    void moveToOrigin(QPointF origin);

    /** Puts the window on the screen above other windows without activating it. */
    void showOnTop();

    /**
     * Where the window takes pointer input, in window-local points: the visible panel without the
     * margin. Presses anywhere else reach the application below and count as presses outside.
     */
    [[nodiscard]] virtual QRegion inputRegion() const;

    /** The transparent margin around the panel, in points. */
    [[nodiscard]] int margin() const { return m_margin; }

private:
    QSizeF m_panelSize;
    int m_margin;
    QPointF m_origin;
};

} // namespace quillora
