#pragma once

#include <QCoreApplication>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QWidget>

namespace quillora::test {

// Pointer events delivered the way the window system delivers them, through the event loop's
// dispatcher, at a point inside `widget`.

inline void sendEnter(QWidget& widget, QPointF local = QPointF(32, 32))
{
    QEnterEvent event(local, local, widget.mapToGlobal(local));
    QCoreApplication::sendEvent(&widget, &event);
}

inline void sendLeave(QWidget& widget)
{
    QEvent event(QEvent::Leave);
    QCoreApplication::sendEvent(&widget, &event);
}

inline void sendPress(QWidget& widget, QPointF local = QPointF(32, 32))
{
    QMouseEvent event(QEvent::MouseButtonPress, local, widget.mapToGlobal(local), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &event);
}

inline void sendMove(QWidget& widget, QPointF local)
{
    QMouseEvent event(QEvent::MouseMove, local, widget.mapToGlobal(local), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &event);
}

} // namespace quillora::test
