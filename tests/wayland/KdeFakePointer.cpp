#include "KdeFakePointer.h"

#include "platform/linux/wayland/WaylandConnection.h"
#include "support/WaitFor.h"

#include <fake-input-client-protocol.h>
#include <wayland-client.h>

#include <linux/input-event-codes.h>

namespace quillora::test {

namespace {

// Absolute motion came with version 3.
constexpr uint32_t kAbsoluteMotionVersion = 3;
// The longest wait for the compositor to take what was sent.
constexpr int kRoundtripMs = 5000;

} // namespace

std::unique_ptr<KdeFakePointer> KdeFakePointer::create(const QString& socketPath)
{
    std::unique_ptr<KdeFakePointer> pointer(new KdeFakePointer);
    pointer->m_connection = WaylandConnection::open(kRoundtripMs, socketPath.toUtf8());
    const std::optional<WaylandConnection::Global> fakeInput =
        pointer->m_connection
            ? pointer->m_connection->global(org_kde_kwin_fake_input_interface.name, kAbsoluteMotionVersion)
            : std::nullopt;
    if (!fakeInput) {
        return nullptr;
    }
    pointer->m_input = static_cast<org_kde_kwin_fake_input*>(
        pointer->m_connection->bind(*fakeInput, &org_kde_kwin_fake_input_interface, kAbsoluteMotionVersion));
    org_kde_kwin_fake_input_authenticate(pointer->m_input, "Quillora end-to-end tests", "plays the user");
    if (!pointer->m_connection->roundtrip(kRoundtripMs)) {
        return nullptr;
    }
    // KWin sets the fake device up behind the connection: events sent at once were seen to be lost.
    pause(300);
    return pointer;
}

KdeFakePointer::~KdeFakePointer()
{
    if (m_input != nullptr) {
        org_kde_kwin_fake_input_destroy(m_input);
        static_cast<void>(m_connection->roundtrip(kRoundtripMs));
    }
}

bool KdeFakePointer::moveTo(QPoint point)
{
    org_kde_kwin_fake_input_pointer_motion_absolute(m_input, wl_fixed_from_int(point.x()),
                                                    wl_fixed_from_int(point.y()));
    return m_connection->roundtrip(kRoundtripMs);
}

bool KdeFakePointer::press()
{
    org_kde_kwin_fake_input_button(m_input, BTN_LEFT, WL_POINTER_BUTTON_STATE_PRESSED);
    return m_connection->roundtrip(kRoundtripMs);
}

bool KdeFakePointer::release()
{
    org_kde_kwin_fake_input_button(m_input, BTN_LEFT, WL_POINTER_BUTTON_STATE_RELEASED);
    return m_connection->roundtrip(kRoundtripMs);
}

} // namespace quillora::test
