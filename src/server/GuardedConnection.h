#pragma once

#include "core/Clock.h"

#include <QByteArray>
#include <QHostAddress>
#include <QPointer>

#include <functional>
#include <memory>

class QSocketNotifier;
class QTcpSocket;

namespace quillora {

/** How long and how much a client may take; see the options of the same names. */
struct ConnectionLimits
{
    /** Bytes one request may send; past it the connection is answered 413 and closed. */
    qint64 maxRequestBytes = 1024 * 1024;
    double headerTimeout = 10;
    double bodyTimeout = 10;
    double bodyMinRate = 1024;
    double idleTimeout = 30;
    int maxConnections = 512;
    int maxConnectionsPerClient = 128;
};

/** Why the service ended or refused a connection. */
enum class ConnectionRefusal {
    TooLarge,
    HeaderTimeout,
    BodyTimeout,
    TooManyConnections,
    TooManyFromClient,
    NoDescriptors,
};

/**
 * One client connection as the service watches it: the phase of the request on it (waiting,
 * headers, body, being answered), the deadline of that phase, and whether the client asked for
 * the connection to end after the answer ("Connection: close", or HTTP/1.0 without keep-alive).
 *
 * It keeps a second descriptor of the socket, so that an answer can still be written when the
 * client has shut down its sending side after a complete request: Qt closes a socket as soon as
 * it reads the end of the stream, which would drop the answer to a request already carried out.
 */
class GuardedConnection final
{
public:
    using RefusalSink = std::function<void(ConnectionRefusal, qint64 bytes)>;

    /** Whether a spare descriptor is kept; not over TLS, where raw writes would bypass encryption. */
    enum class Spare {
        Keep,
        None,
    };

    /**
     * Watches `socket`, which must be connected. Never fails; when no spare descriptor can be had,
     * a client that half-closes goes unanswered as before.
     */
    GuardedConnection(QTcpSocket* socket, const ConnectionLimits& limits, Clock& clock, RefusalSink onRefused,
                      Spare spare = Spare::Keep);
    ~GuardedConnection();
    GuardedConnection(const GuardedConnection&) = delete;
    GuardedConnection& operator=(const GuardedConnection&) = delete;

    /** The bytes of a request are about to be read by the HTTP server; checks size and deadlines. */
    void received(const QByteArray& bytes);

    /** The HTTP server has handed over a complete request; no deadline runs while it is answered. */
    void requestStarted();

    /**
     * Writes the whole serialised answer, also when the client has half-closed its side, and then
     * either waits for the next request or closes the connection. Never fails; a client that is
     * gone is not told.
     */
    void answer(const QByteArray& bytes);

    /** The client asked for the connection to be closed after this answer. */
    [[nodiscard]] bool closesAfterAnswer() const { return m_closeAfterAnswer; }

    /** `count` bytes have left the socket's buffer. */
    void bytesWritten(qint64 count);

    /** The socket has disconnected; the spare descriptor finishes an answer still owed. */
    void socketGone();

    [[nodiscard]] const QHostAddress& peer() const { return m_peer; }

private:
    enum class Phase {
        Idle,
        Headers,
        Body,
        Handling,
    };

    void enterIdle();
    void readHead();
    void armDeadline(double seconds, ConnectionRefusal reason);
    void expire(ConnectionRefusal reason);
    void refuse(int status, const QByteArray& reason, const QByteArray& message);
    void writeSpare();
    void closeSpare();

    QPointer<QTcpSocket> m_socket;
    QHostAddress m_peer;
    ConnectionLimits m_limits;
    Clock& m_clock;
    RefusalSink m_onRefused;
    int m_spare = -1;
    std::unique_ptr<QSocketNotifier> m_spareWriter;
    QByteArray m_unsent;
    Phase m_phase = Phase::Idle;
    QByteArray m_head;
    qint64 m_requestBytes = 0;
    qint64 m_bodyExpected = 0;
    qint64 m_bodyReceived = 0;
    double m_bodyStart = 0;
    bool m_closeAfterAnswer = false;
    /** A complete request has been handed over and not yet answered. */
    bool m_owed = false;
    Timer m_deadline;
};

} // namespace quillora
