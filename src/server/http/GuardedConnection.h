#pragma once

#include "core/Clock.h"
#include "server/http/ConnectionLimits.h"

#include <QByteArray>
#include <QHostAddress>
#include <QPointer>

#include <deque>
#include <functional>
#include <memory>

class QSocketNotifier;
class QTcpSocket;

namespace quillora {

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
 * One client connection as the service watches it: the phase of the request arriving on it
 * (waiting, headers, body), the deadline of that phase, the requests handed over and not yet
 * answered, and for each whether the client asked for the connection to end after its answer
 * ("Connection: close", or HTTP/1.0 without keep-alive). A client may send several requests
 * without waiting (pipelining); their answers go out in the order of the requests, and the first
 * one that ends the connection is the last one written.
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
     * Watches `socket`, which must be connected, for a client at `peer`. Never fails; when no
     * spare descriptor can be had, a client that half-closes goes unanswered.
     */
    GuardedConnection(QTcpSocket* socket, QHostAddress peer, const ConnectionLimits& limits, Clock& clock,
                      RefusalSink onRefused, Spare spare = Spare::Keep);
    ~GuardedConnection();
    GuardedConnection(const GuardedConnection&) = delete;
    GuardedConnection& operator=(const GuardedConnection&) = delete;

    /** The bytes of a request are about to be read by the HTTP server; checks size and deadlines. */
    void received(const QByteArray& bytes);

    /**
     * The HTTP server has handed over the next complete request; no deadline runs while requests
     * are being answered. Returns the request's ticket for `answer`.
     */
    [[nodiscard]] quint64 requestStarted();

    /**
     * The serialised answer to the request of `ticket`. It is written once the answers to the
     * earlier requests are, also when the client has half-closed its side; then the connection
     * either waits for the next request or closes. Never fails; a client that is gone is not told.
     */
    void answer(quint64 ticket, const QByteArray& bytes);

    /** The client asked for the connection to be closed after the answer to `ticket`. */
    [[nodiscard]] bool closesAfterAnswer(quint64 ticket) const;

    /** `count` bytes have left the socket's buffer. */
    void bytesWritten(qint64 count);

    /** The socket has disconnected; the spare descriptor finishes an answer still owed. */
    void socketGone();

    /**
     * The client has shut down its sending side, and the socket will not read the end of the
     * stream (a TLS connection behind a relay): the connection ends once what it owes is written.
     */
    void clientFinished();

    [[nodiscard]] const QHostAddress& peer() const { return m_peer; }

private:
    enum class Phase {
        Idle,
        Headers,
        Body,
        /** Refused or ending: nothing more is read. */
        Closed,
    };

    /** An answer owed, in the order of the requests. */
    struct Owed
    {
        bool closes = false;
        bool ready = false;
        QByteArray bytes;
    };

    void enterIdle();
    void readHead();
    void flushAnswers();
    void updateDeadline();
    [[nodiscard]] bool busy() const { return !m_parsed.empty() || !m_owed.empty(); }
    void armDeadline(double seconds, ConnectionRefusal reason);
    void expire(ConnectionRefusal reason);
    void refuse(int status, const QByteArray& reason, const QByteArray& message);
    void writeSpare();
    void closeSpare();
    /** A TLS connection whose handshake has not completed. */
    [[nodiscard]] bool awaitsHandshake() const;

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
    double m_phaseStart = 0;
    bool m_closeAfterAnswer = false;
    bool m_clientFinished = false;
    /** Whether each request received in full but not yet handed over asked to close. */
    std::deque<bool> m_parsed;
    /** Requests handed over and not yet answered; the front one has ticket `m_firstTicket`. */
    std::deque<Owed> m_owed;
    quint64 m_firstTicket = 0;
    Timer m_deadline;
};

} // namespace quillora
