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
 * the panel shows and when it is clicked. The panel is placed by its frame in screen points; a transparent margin
 * around it leaves room for a shadow. Where nothing composites windows, the window has no margin and the shape of the
 * panel instead.
 */
class FloatingPanel : public QWidget
{
    Q_OBJECT

public:
    /** A hidden window for a panel of `panelSize` points with `margin` transparent points around it. */
    FloatingPanel(QSizeF panelSize, int margin);

    /**
     * The visible frame (the screen less its panels and docks) of the first screen holding `p`,
     * or of the main screen when none does; none when there is no screen. Screen points.
     */
    [[nodiscard]] static std::optional<QRectF> visibleFrameAt(QPointF p);

    /**
     * `origin` moved the least distance that puts a panel of `size` wholly inside `visible`; a
     * panel larger than `visible` keeps its left and top edges inside.
     */
    [[nodiscard]] static QPointF keptInside(QPointF origin, QSizeF size, const QRectF& visible);

    /** The panel's frame (without the margin) in screen points. */
    [[nodiscard]] QRectF panelFrame() const { return {m_origin, m_panelSize}; }

    /**
     * True while nothing composites windows: the window then has no transparent margin and takes
     * the shape of the panel (`shapeRegion`), so that no black shows around it.
     */
    [[nodiscard]] bool isShaped() const { return m_shaped; }

protected:
    /**
     * Asks the platform whether windows are composited and, when that changed, switches between
     * the translucent window with its margin and the shaped window without one. Called before
     * each showing, ahead of the placement, which depends on the margin.
     */
    void refreshCompositing();

    /**
     * `origin` moved the least distance that keeps the whole window, its margin included, inside
     * `visible`: the panel's own rule keeps the panel clear of the edges, this keeps the window
     * from reaching over a top bar or past the screen.
     */
    [[nodiscard]] QPointF keptWindowInside(QPointF origin, const QRectF& visible) const;

    /** The panel's outline in window-local points, the window's shape while nothing composites. */
    [[nodiscard]] virtual QRegion shapeRegion() const;

    /** Runs after the window switched between translucent and shaped. */
    virtual void compositingChanged() {}

    /** Moves the panel so that its bottom-left corner is at `origin`, in screen points. */
    void moveToOrigin(QPointF origin);

    /** Puts the window on the screen above other windows without activating it. */
    void showOnTop();

    /**
     * Where the window takes pointer input, in window-local points: the visible panel without the
     * margin. Presses anywhere else reach the application below and count as presses outside.
     */
    [[nodiscard]] virtual QRegion inputRegion() const;

    /** The transparent margin around the panel, in points: none while the window is shaped. */
    [[nodiscard]] int margin() const { return m_margin; }

private:
    QSizeF m_panelSize;
    int m_translucentMargin;
    int m_margin;
    bool m_shaped = false;
    QPointF m_origin;
};

} // namespace quillora
