#pragma once

#include <QByteArray>

namespace quillora {

/** How far `sendPending` got. */
enum class SendOutcome {
    /** Everything was sent. */
    Sent,
    /** The socket's buffer is full; the rest waits in `pending` for the socket to be writable. */
    WouldBlock,
    /** The other side is gone; `pending` is left as it was. */
    Gone,
};

/**
 * Writes what `pending` holds to the non-blocking socket `descriptor`, removing what was sent.
 * Never raises SIGPIPE.
 */
SendOutcome sendPending(int descriptor, QByteArray& pending);

} // namespace quillora
