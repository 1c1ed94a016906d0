#include "platform/linux/wayland/PipeReader.h"

#include <QDeadlineTimer>

#include <cerrno>

#include <poll.h>
#include <unistd.h>

namespace quillora {

std::optional<QByteArray> PipeReader::readToEnd(int fd, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    QByteArray bytes;
    char chunk[4096];
    while (true) {
        pollfd descriptor{fd, POLLIN, 0};
        const int ready = poll(&descriptor, 1, int(deadline.remainingTime()));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            return std::nullopt;
        }
        const ssize_t count = read(fd, chunk, sizeof(chunk));
        if (count < 0 && (errno == EINTR || errno == EAGAIN)) {
            continue;
        }
        if (count < 0) {
            return std::nullopt;
        }
        if (count == 0) {
            return bytes;
        }
        bytes.append(chunk, count);
        if (bytes.size() > maxBytes) {
            return std::nullopt;
        }
    }
}

} // namespace quillora
