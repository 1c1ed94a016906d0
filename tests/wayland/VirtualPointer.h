#pragma once

#include <QPoint>

namespace quillora::test {

/**
 * A pointer device made up by a Wayland client: the compositor takes its events as a person's.
 * Each call returns once the compositor has handled the event; false when the connection to the
 * compositor broke.
 */
class VirtualPointer
{
public:
    virtual ~VirtualPointer() = default;
    VirtualPointer() = default;
    VirtualPointer(const VirtualPointer&) = delete;
    VirtualPointer& operator=(const VirtualPointer&) = delete;

    /** Moves the pointer to `point`, in the compositor's global (screen) coordinates. */
    [[nodiscard]] virtual bool moveTo(QPoint point) = 0;
    /** Presses the left button where the pointer is. */
    [[nodiscard]] virtual bool press() = 0;
    /** Releases the left button. */
    [[nodiscard]] virtual bool release() = 0;
};

} // namespace quillora::test
