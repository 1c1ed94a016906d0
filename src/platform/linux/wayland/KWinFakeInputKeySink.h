#pragma once

#include "platform/KeyEventSink.h"
#include "platform/linux/wayland/EvdevKeyPresses.h"

#include <memory>

struct org_kde_kwin_fake_input;

namespace quillora {

class WaylandConnection;

/**
 * Posts key events through KWin's fake input protocol (org_kde_kwin_fake_input, version 4 for
 * keys), as evdev codes; they reach whichever window has keyboard focus. KWin offers the protocol
 * only to an executable that an installed .desktop file names in Exec= with
 * "X-KDE-Wayland-Interfaces=org_kde_kwin_fake_input". The connection is made at construction:
 * KWin may drop the very first event of a new connection, and by the time a key is posted the
 * connection has long settled. Terminals (which paste with Ctrl+Shift+V) are not told apart: the
 * window's class is not known here. Main thread.
 */
class KWinFakeInputKeySink final : public KeyEventSink
{
public:
    /** The longest wait for the compositor while connecting, in milliseconds. */
    static constexpr int connectTimeoutMs = 300;

    KWinFakeInputKeySink();
    /** Releases whatever is still held. */
    ~KWinFakeInputKeySink() override;

    /**
     * Posts one event to the focused window (`targetPid` is not honoured: the compositor routes).
     * Returns false when KWin does not offer fake input to this process (or the connection broke)
     * and for a code with no evdev key.
     */
    bool post(const PostedKeyEvent& event) override;

    /** True while KWin offers fake input with keys to this process. */
    [[nodiscard]] bool canPost() const override;

private:
    void send(const QList<EvdevKeyChange>& changes);

    std::unique_ptr<WaylandConnection> m_connection;
    org_kde_kwin_fake_input* m_fakeInput = nullptr;
    EvdevKeyPresses m_presses;
};

} // namespace quillora
