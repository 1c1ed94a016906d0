#pragma once

#include <QByteArray>
#include <QString>

#include <qcoro/qcorotask.h>

#include <optional>

namespace quillora {

class Clock;

/**
 * Asks sway over its IPC socket: one connection per request, closed after the reply. Every
 * request ends within `timeoutSeconds` of the clock, answered or not, so a stalled compositor
 * never holds up the caller. Main thread.
 */
class SwayIpcClient final
{
public:
    /** The longest wait for a reply. */
    static constexpr double timeoutSeconds = 0.3;

    /** Talks to the socket at `socketPath` (sway's $SWAYSOCK); times out on `clock` (not owned). */
    SwayIpcClient(Clock& clock, QString socketPath);

    /**
     * Sends a message of `type` with `payload` and returns the payload of the reply. None when the
     * socket path is empty or refuses the connection, the reply is malformed or of another type,
     * the connection closes early, or no reply comes within the time-out. Never throws.
     */
    [[nodiscard]] QCoro::Task<std::optional<QByteArray>> request(quint32 type, QByteArray payload = {});

private:
    Clock& m_clock;
    QString m_socketPath;
};

} // namespace quillora
