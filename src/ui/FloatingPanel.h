#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QWidget>

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

    /** The panel's frame (without the margin) in the design's coordinates. */
    [[nodiscard]] QRectF panelFrame() const { return {m_origin, m_panelSize}; }

protected:
    /** Moves the panel so that its bottom-left corner is at `origin`, in the design's coordinates. */
    void moveToOrigin(QPointF origin);

    /** Puts the window on the screen above other windows without activating it. */
    void showOnTop();

    /** The transparent margin around the panel, in points. */
    [[nodiscard]] int margin() const { return m_margin; }

private:
    QSizeF m_panelSize;
    int m_margin;
    QPointF m_origin;
};

} // namespace quillora
