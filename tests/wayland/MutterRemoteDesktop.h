#pragma once

#include "VirtualPointer.h"

#include <QByteArray>
#include <QSize>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct _GDBusConnection;
struct _GVariant;

namespace quillora::test {

/**
 * A pointer and a keyboard made with Mutter's RemoteDesktop API (org.gnome.Mutter.RemoteDesktop on
 * the session bus), as GNOME Shell offers them to its session. The API moves the pointer only
 * relatively without a screen-cast stream, so this pushes it into the top-left corner once and
 * keeps track of where it is from there. Mutter ends the session when the connection that made it
 * closes: the connection must outlive this.
 */
class MutterRemoteDesktop final : public VirtualPointer
{
public:
    /** Where the compositor has the pointer now; none when it does not answer. */
    using PointerReader = std::function<std::optional<QPoint>()>;

    /**
     * Starts a remote-desktop session on `bus` for a screen of `screen`; null when Mutter refuses.
     * Mutter moves the pointer on its input thread after the call has returned: a move waits until
     * `pointerAt` reports the pointer there.
     */
    [[nodiscard]] static std::unique_ptr<MutterRemoteDesktop> create(_GDBusConnection* bus, QSize screen,
                                                                     PointerReader pointerAt);
    ~MutterRemoteDesktop() override;

    [[nodiscard]] bool moveTo(QPoint point) override;
    [[nodiscard]] bool press() override;
    [[nodiscard]] bool release() override;

    /** Presses the keys `keysyms` (X keysyms) in order and releases them in reverse: a shortcut. */
    [[nodiscard]] bool pressCombination(const std::vector<uint32_t>& keysyms);

private:
    MutterRemoteDesktop(_GDBusConnection* bus, QSize screen, PointerReader pointerAt);
    bool call(const char* method, _GVariant* parameters);
    bool button(bool pressed);
    bool key(uint32_t keysym, bool pressed);

    _GDBusConnection* m_bus = nullptr;
    QSize m_screen;
    PointerReader m_pointerAt;
    QByteArray m_session;
    QPoint m_position;
};

} // namespace quillora::test
