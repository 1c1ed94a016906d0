#include "WlrVirtualPointer.h"

#include "WaylandConnection.h"

#include <wayland-client.h>
#include <wlr-virtual-pointer-unstable-v1-client-protocol.h>

#include <linux/input-event-codes.h>

namespace quillora::test {

std::unique_ptr<WlrVirtualPointer> WlrVirtualPointer::create(const QString& socketPath, QSize screen)
{
    std::unique_ptr<WlrVirtualPointer> pointer(new WlrVirtualPointer);
    pointer->m_connection = WaylandConnection::connect(socketPath);
    if (!pointer->m_connection) {
        return nullptr;
    }
    pointer->m_screen = screen;
    pointer->m_seat = static_cast<wl_seat*>(pointer->m_connection->bind(wl_seat_interface, 1));
    pointer->m_manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
        pointer->m_connection->bind(zwlr_virtual_pointer_manager_v1_interface, 1));
    if (pointer->m_seat == nullptr || pointer->m_manager == nullptr) {
        return nullptr;
    }
    pointer->m_pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(pointer->m_manager, pointer->m_seat);
    if (!pointer->m_connection->roundtrip()) {
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
        static_cast<void>(m_connection->roundtrip());
    }
}

bool WlrVirtualPointer::moveTo(QPoint point)
{
    // Positions are fractions of the extent given with them: the layout's size gives pixels.
    zwlr_virtual_pointer_v1_motion_absolute(m_pointer, WaylandConnection::timestamp(), uint32_t(point.x()),
                                            uint32_t(point.y()), uint32_t(m_screen.width()),
                                            uint32_t(m_screen.height()));
    zwlr_virtual_pointer_v1_frame(m_pointer);
    return m_connection->roundtrip();
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
    zwlr_virtual_pointer_v1_button(m_pointer, WaylandConnection::timestamp(), BTN_LEFT,
                                   pressed ? WL_POINTER_BUTTON_STATE_PRESSED : WL_POINTER_BUTTON_STATE_RELEASED);
    zwlr_virtual_pointer_v1_frame(m_pointer);
    return m_connection->roundtrip();
}

} // namespace quillora::test
