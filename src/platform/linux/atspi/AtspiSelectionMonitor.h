#pragma once

#include "platform/SelectionChangeMonitor.h"

#include <QMap>

namespace quillora {

class LinuxAccessibility;

/**
 * Selection changes of other applications as AT-SPI reports them: the focused text element's
 * `object:text-selection-changed` and every gain of focus, and the changes its owner reports from
 * other sources. The listener is registered while at least one handler is installed. Main thread.
 */
class AtspiSelectionMonitor final : public SelectionChangeMonitor
{
public:
    /** Listens through `accessibility`, which must outlive the monitor. */
    explicit AtspiSelectionMonitor(LinuxAccessibility& accessibility);
    ~AtspiSelectionMonitor() override;

    [[nodiscard]] std::optional<SelectionChangeHandle> addHandler(Handler handler) override;
    void removeHandler(SelectionChangeHandle handle) override;
    [[nodiscard]] std::optional<QRectF> selectionEndInWindow() override;

    /** Reports a change seen elsewhere (a new primary selection) to every handler. */
    void reportChange();

private:
    LinuxAccessibility& m_accessibility;
    QMap<quint64, Handler> m_handlers;
    quint64 m_nextHandle = 1;
};

} // namespace quillora
