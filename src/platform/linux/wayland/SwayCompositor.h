#pragma once

#include "platform/Compositor.h"
#include "platform/linux/wayland/SwayIpcClient.h"

namespace quillora {

class Clock;

/**
 * sway's answers, over its IPC socket: the focused window from the layout tree. The window's
 * frame is its client surface (without title bar or border), the origin of the accessibility
 * extents of its contents. sway tells nobody where the pointer is. Main thread.
 */
class SwayCompositor final : public Compositor
{
public:
    /** Asks the IPC socket at `socketPath` (sway's $SWAYSOCK); times out on `clock` (not owned). */
    SwayCompositor(Clock& clock, QString socketPath);

    /** Always none: sway's IPC tells no pointer position. */
    [[nodiscard]] QCoro::Task<std::optional<QPointF>> pointerLocation() override;

    /**
     * The focused view, from one GET_TREE request. None when sway does not answer within
     * `SwayIpcClient::timeoutSeconds`, the reply cannot be read, or no view has focus.
     */
    [[nodiscard]] QCoro::Task<std::optional<ForeignWindow>> focusedWindow() override;

private:
    SwayIpcClient m_ipc;
};

} // namespace quillora
