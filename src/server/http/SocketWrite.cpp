#include "server/http/SocketWrite.h"

#include <cerrno>

#include <sys/socket.h>

namespace quillora {

SendOutcome sendPending(int descriptor, QByteArray& pending)
{
    while (!pending.isEmpty()) {
        const ssize_t sent =
            ::send(descriptor, pending.constData(), static_cast<size_t>(pending.size()), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent > 0) {
            pending.remove(0, sent);
        } else if (sent < 0 && errno == EINTR) {
            continue;
        } else if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            return SendOutcome::WouldBlock;
        } else {
            return SendOutcome::Gone;
        }
    }
    return SendOutcome::Sent;
}

} // namespace quillora
