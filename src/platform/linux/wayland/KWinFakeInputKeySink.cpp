#include "platform/linux/wayland/KWinFakeInputKeySink.h"

#include "platform/linux/wayland/WaylandConnection.h"

#include "fake-input-client-protocol.h"

namespace quillora {

namespace {

// keyboard_key came with version 4 of the protocol.
constexpr quint32 kKeysVersion = 4;

} // namespace

KWinFakeInputKeySink::KWinFakeInputKeySink()
    : m_connection(WaylandConnection::open(connectTimeoutMs))
{
    if (!m_connection) {
        return;
    }
    const auto global = m_connection->global(org_kde_kwin_fake_input_interface.name, kKeysVersion);
    if (!global) {
        return;
    }
    m_fakeInput = static_cast<org_kde_kwin_fake_input*>(
        m_connection->bind(*global, &org_kde_kwin_fake_input_interface, kKeysVersion));
    org_kde_kwin_fake_input_authenticate(m_fakeInput, "Quillora", "Paste the text you chose");
    m_connection->flush();
    // Nothing is expected back, but events must not pile up unread on the connection.
    m_connection->dispatchFromEventLoop();
}

KWinFakeInputKeySink::~KWinFakeInputKeySink()
{
    if (canPost()) {
        send(m_presses.releaseAll());
    }
    if (m_fakeInput != nullptr) {
        org_kde_kwin_fake_input_destroy(m_fakeInput);
    }
}

bool KWinFakeInputKeySink::canPost() const
{
    return m_fakeInput != nullptr && m_connection->isUsable();
}

bool KWinFakeInputKeySink::post(const PostedKeyEvent& event)
{
    if (!canPost()) {
        return false;
    }
    const std::optional<QList<EvdevKeyChange>> changes = m_presses.changesFor(event);
    if (!changes) {
        return false;
    }
    send(*changes);
    return m_connection->flush();
}

void KWinFakeInputKeySink::send(const QList<EvdevKeyChange>& changes)
{
    for (const EvdevKeyChange& change : changes) {
        org_kde_kwin_fake_input_keyboard_key(
            m_fakeInput, change.code, change.pressed ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED);
    }
    m_connection->flush();
}

} // namespace quillora
