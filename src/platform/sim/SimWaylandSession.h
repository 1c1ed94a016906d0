#pragma once

#include "platform/Compositor.h"
#include "platform/SelectionChangeMonitor.h"

#include <QMap>

namespace quillora {

/**
 * The simulated stand-ins for a Wayland session's selection events and compositor: tests report
 * selection changes and set what the compositor and accessibility would answer. Every answer is
 * ready at once. Main thread.
 */
class SimWaylandSession final : public SelectionChangeMonitor, public Compositor
{
public:
    [[nodiscard]] std::optional<SelectionChangeHandle> addHandler(Handler handler) override;
    void removeHandler(SelectionChangeHandle handle) override;
    [[nodiscard]] std::optional<QRectF> selectionEndInWindow() override { return m_selectionEnd; }
    [[nodiscard]] QCoro::Task<std::optional<QPointF>> pointerLocation() override;
    [[nodiscard]] QCoro::Task<std::optional<ForeignWindow>> focusedWindow() override;

    /** Runs every handler, as a change of the focused text's selection does. */
    void reportChange();

    /** The number of installed handlers. */
    [[nodiscard]] qsizetype handlerCount() const { return m_handlers.size(); }

    void setSelectionEndInWindow(std::optional<QRectF> bounds) { m_selectionEnd = bounds; }
    void setPointer(std::optional<QPointF> pointer) { m_pointer = pointer; }
    void setFocusedWindow(std::optional<ForeignWindow> window) { m_window = std::move(window); }

private:
    QMap<quint64, Handler> m_handlers;
    quint64 m_nextHandle = 1;
    std::optional<QRectF> m_selectionEnd;
    std::optional<QPointF> m_pointer;
    std::optional<ForeignWindow> m_window;
};

} // namespace quillora
