#pragma once

#include "platform/AppWindows.h"

namespace quillora {

/** The simulated application's own windows: whatever list the test sets. */
class SimAppWindows final : public AppWindows
{
public:
    [[nodiscard]] QList<AppWindowInfo> windows() const override { return m_windows; }

    /** Replaces the list of windows. */
    void setWindows(QList<AppWindowInfo> windows) { m_windows = std::move(windows); }

private:
    QList<AppWindowInfo> m_windows;
};

} // namespace quillora
