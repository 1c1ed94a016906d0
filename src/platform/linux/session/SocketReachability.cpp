#include "platform/linux/session/SocketReachability.h"

#include <QFile>

#include <cerrno>
#include <cstddef>
#include <cstring>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace quillora {

bool SocketReachability::accepts(const QString& path)
{
    const QByteArray encoded = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (encoded.isEmpty() || std::size_t(encoded.size()) >= sizeof(address.sun_path)) {
        return false;
    }
    std::memcpy(address.sun_path, encoded.constData(), std::size_t(encoded.size()));
    // An abstract name counts its bytes exactly; a path ends at its terminating NUL.
    const socklen_t length =
        socklen_t(offsetof(sockaddr_un, sun_path) + std::size_t(encoded.size()) + (encoded.startsWith('\0') ? 0 : 1));
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    // A listener whose backlog is full answers EAGAIN: it is there, only busy.
    const bool accepted = connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0 || errno == EAGAIN;
    close(fd);
    return accepted;
}

XDisplayAddress SocketReachability::parseXDisplay(const QString& display)
{
    const qsizetype colon = display.lastIndexOf(QLatin1Char(':'));
    if (colon < 0) {
        return {};
    }
    const QString host = display.left(colon);
    const QString number = display.mid(colon + 1).section(QLatin1Char('.'), 0, 0);
    bool isNumber = false;
    number.toUInt(&isNumber);
    if (!isNumber) {
        return {};
    }
    if (host.startsWith(QLatin1Char('/'))) {
        return {XDisplayAddress::Kind::Local, host + QLatin1Char(':') + number};
    }
    if (host.isEmpty() || host == QLatin1String("unix")) {
        return {XDisplayAddress::Kind::Local, QStringLiteral("/tmp/.X11-unix/X") + number};
    }
    return {XDisplayAddress::Kind::Remote, {}};
}

bool SocketReachability::xDisplayReachable(const QString& display)
{
    const XDisplayAddress address = parseXDisplay(display);
    switch (address.kind) {
    case XDisplayAddress::Kind::Invalid:
        return false;
    case XDisplayAddress::Kind::Remote:
        return true;
    case XDisplayAddress::Kind::Local:
        return accepts(address.socketPath) || accepts(QLatin1Char('\0') + address.socketPath);
    }
    return false;
}

} // namespace quillora
