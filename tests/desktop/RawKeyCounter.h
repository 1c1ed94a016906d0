#pragma once

#include <QRect>
#include <QtGlobal>

#include <optional>

struct _XDisplay;

namespace quillora::test {

/**
 * Counts key presses anywhere on the display, real or synthetic, through XInput 2 raw events on a
 * connection of its own: proof that nobody posted a key while it counted.
 */
class RawKeyCounter final
{
public:
    RawKeyCounter();
    ~RawKeyCounter();
    RawKeyCounter(const RawKeyCounter&) = delete;
    RawKeyCounter& operator=(const RawKeyCounter&) = delete;

    /** Key presses since the counter was made or last reset (after a round trip to the server). */
    [[nodiscard]] int presses();
    void reset();

private:
    _XDisplay* m_display = nullptr;
    int m_opcode = -1;
    int m_presses = 0;
};

/** A window's client area in root coordinates, as the X server places it; none for no such window. */
[[nodiscard]] std::optional<QRect> clientGeometry(quint64 window);

} // namespace quillora::test
