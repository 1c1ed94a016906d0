#pragma once

#include <QString>

namespace quillora {

/** Where an X display name points. */
struct XDisplayAddress
{
    enum class Kind {
        /** Not a display name. */
        Invalid,
        /** A server on this machine, reached through `socketPath`. */
        Local,
        /** A server on another host, reached over the network. */
        Remote,
    };

    Kind kind = Kind::Invalid;
    QString socketPath;

    bool operator==(const XDisplayAddress&) const = default;
};

/** Whether local servers listen: sway's IPC socket, an X server (Xwayland). Never blocks. */
class SocketReachability final
{
public:
    /**
     * True when a Unix socket at `path` accepts a connection; with a leading NUL the name is an
     * abstract socket. False when nothing listens or the path is no socket.
     */
    [[nodiscard]] static bool accepts(const QString& path);

    /**
     * Parses an X display name ("[host]:display[.screen]"): no host or "unix" is a local server
     * on /tmp/.X11-unix/X<display>, a host starting with "/" is a socket path of its own, any
     * other host is remote.
     */
    [[nodiscard]] static XDisplayAddress parseXDisplay(const QString& display);

    /**
     * True when the X display `display` accepts a connection (on its socket or the abstract
     * socket of the same name). A remote display counts as reachable: only its server can tell.
     */
    [[nodiscard]] static bool xDisplayReachable(const QString& display);
};

} // namespace quillora
