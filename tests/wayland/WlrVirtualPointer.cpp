#include "WlrVirtualPointer.h"

#include "platform/linux/wayland/WaylandConnection.h"

#include <ctime>

#include <wayland-client.h>
#include <wlr-virtual-pointer-unstable-v1-client-protocol.h>

#include <linux/input-event-codes.h>

namespace quillora::test {

namespace {

// The longest wait for the compositor to take what was sent.
constexpr int kRoundtripMs = 5000;

// Milliseconds on the monotonic clock, as input events carry them.
uint32_t timestamp()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return uint32_t(now.tv_sec * 1000 + now.tv_nsec / 1000000);
}

// Binds the first global of `interface` at version 1; null when none is offered.
void* bindFirst(WaylandConnection& connection, const wl_interface& interface)
{
    const std::optional<WaylandConnection::Global> global = connection.global(interface.name);
    return global ? connection.bind(*global, &interface, 1) : nullptr;
}

} // namespace

std::unique_ptr<WlrVirtualPointer> WlrVirtualPointer::create(const QString& socketPath, QSize screen)
{
    std::unique_ptr<WlrVirtualPointer> pointer(new WlrVirtualPointer);
    pointer->m_connection = WaylandConnection::open(kRoundtripMs, socketPath.toUtf8());
    if (!pointer->m_connection) {
        return nullptr;
    }
    pointer->m_screen = screen;
    pointer->m_seat = static_cast<wl_seat*>(bindFirst(*pointer->m_connection, wl_seat_interface));
    pointer->m_manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
        bindFirst(*pointer->m_connection, zwlr_virtual_pointer_manager_v1_interface));
    if (pointer->m_seat == nullptr || pointer->m_manager == nullptr) {
        return nullptr;
    }
    pointer->m_pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(pointer->m_manager, pointer->m_seat);
    if (!pointer->m_connection->roundtrip(kRoundtripMs)) {
        return nullptr;
    }
    return pointer;
}

WlrVirtualPointer::~WlrVirtualPointer()
{
    if (m_pointer != nullptr) {
        zwlr_virtual_pointer_v1_destroy(m_pointer);
    }
    if (m_manager != nullptr) {
        zwlr_virtual_pointer_manager_v1_destroy(m_manager);
    }
    if (m_seat != nullptr) {
        wl_seat_destroy(m_seat);
    }
    if (m_connection) {
        static_cast<void>(m_connection->roundtrip(kRoundtripMs));
    }
}

bool WlrVirtualPointer::moveTo(QPoint point)
{
    // Positions are fractions of the extent given with them: the layout's size gives pixels.
    zwlr_virtual_pointer_v1_motion_absolute(m_pointer, timestamp(), uint32_t(point.x()), uint32_t(point.y()),
                                            uint32_t(m_screen.width()), uint32_t(m_screen.height()));
    zwlr_virtual_pointer_v1_frame(m_pointer);
    return m_connection->roundtrip(kRoundtripMs);
}

bool WlrVirtualPointer::press()
{
    return button(true);
}

bool WlrVirtualPointer::release()
{
    return button(false);
}

bool WlrVirtualPointer::button(bool pressed)
{
    zwlr_virtual_pointer_v1_button(m_pointer, timestamp(), BTN_LEFT,
                                   pressed ? WL_POINTER_BUTTON_STATE_PRESSED : WL_POINTER_BUTTON_STATE_RELEASED);
    zwlr_virtual_pointer_v1_frame(m_pointer);
    return m_connection->roundtrip(kRoundtripMs);
}

} // namespace quillora::test
