#pragma once

#include "VirtualPointer.h"

#include <QSize>
#include <QString>

#include <memory>

struct wl_seat;
struct zwlr_virtual_pointer_manager_v1;
struct zwlr_virtual_pointer_v1;

namespace quillora {
class WaylandConnection;
}

namespace quillora::test {


/** A pointer made with wlroots' virtual-pointer protocol (sway): absolute motion over the whole layout. */
class WlrVirtualPointer final : public VirtualPointer
{
public:
    /** Creates the pointer on the compositor at `socketPath`, whose layout is `screen`; null when it offers none. */
    [[nodiscard]] static std::unique_ptr<WlrVirtualPointer> create(const QString& socketPath, QSize screen);
    ~WlrVirtualPointer() override;

    [[nodiscard]] bool moveTo(QPoint point) override;
    [[nodiscard]] bool press() override;
    [[nodiscard]] bool release() override;

private:
    WlrVirtualPointer() = default;
    bool button(bool pressed);

    std::unique_ptr<WaylandConnection> m_connection;
    QSize m_screen;
    wl_seat* m_seat = nullptr;
    zwlr_virtual_pointer_manager_v1* m_manager = nullptr;
    zwlr_virtual_pointer_v1* m_pointer = nullptr;
};

} // namespace quillora::test
