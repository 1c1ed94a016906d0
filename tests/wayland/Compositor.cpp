#include "Compositor.h"

namespace quillora::test {

std::optional<WindowOnScreen> Compositor::windowOf(qint64 pid)
{
    for (const WindowOnScreen& window : windows()) {
        if (window.pid == pid) {
            return window;
        }
    }
    return std::nullopt;
}

std::optional<qint64> Compositor::focusedPid()
{
    for (const WindowOnScreen& window : windows()) {
        if (window.focused) {
            return window.pid;
        }
    }
    return std::nullopt;
}

} // namespace quillora::test
