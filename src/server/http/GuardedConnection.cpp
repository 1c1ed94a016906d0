#include "server/http/GuardedConnection.h"

#include "server/http/SocketWrite.h"

#include <QSocketNotifier>
#include <QSslSocket>
#include <QTcpSocket>

#include <algorithm>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace quillora {

namespace {

constexpr QByteArrayView kHeadEnd = "\r\n\r\n";

} // namespace

GuardedConnection::GuardedConnection(QTcpSocket* socket, QHostAddress peer, const ConnectionLimits& limits,
                                     Clock& clock, RefusalSink onRefused, Spare spare)
    : m_socket(socket)
    , m_peer(std::move(peer))
    , m_limits(limits)
    , m_clock(clock)
    , m_onRefused(std::move(onRefused))
    , m_spare(spare == Spare::Keep
                  ? static_cast<int>(::fcntl(static_cast<int>(socket->socketDescriptor()), F_DUPFD_CLOEXEC, 0))
                  : -1)
{
    // A connection that never sends its first request is held no longer than a slow header.
    armDeadline(m_limits.headerTimeout, ConnectionRefusal::HeaderTimeout);
}

GuardedConnection::~GuardedConnection()
{
    m_deadline.invalidate();
    closeSpare();
}

void GuardedConnection::received(const QByteArray& bytes)
{
    if (bytes.isEmpty() || !m_socket || m_phase == Phase::Closed) {
        return;
    }
    // The bytes may end one request and hold the next ones too (pipelining): each is read in turn.
    QByteArrayView rest(bytes);
    while (!rest.isEmpty()) {
        if (m_phase == Phase::Idle) {
            m_phase = Phase::Headers;
            m_head.clear();
            m_requestBytes = 0;
            m_phaseStart = m_clock.monotonicNow();
        }
        if (m_phase == Phase::Headers) {
            const qsizetype before = m_head.size();
            // Only the bytes that can still complete the terminator need searching again.
            m_head += rest;
            const qsizetype end = m_head.indexOf(kHeadEnd, std::max<qsizetype>(0, before - 3));
            const qsizetype used = end < 0 ? rest.size() : end + kHeadEnd.size() - before;
            m_requestBytes += used;
            rest = rest.sliced(used);
            if (end < 0) {
                break;
            }
            m_head.truncate(end);
            readHead();
            m_phase = Phase::Body;
            m_bodyReceived = 0;
            m_phaseStart = m_clock.monotonicNow();
        }
        // The end of a chunked body is not known here; the HTTP server tells by handing it over.
        const qsizetype take =
            m_bodyExpected < 0 ? rest.size() : std::min<qsizetype>(rest.size(), m_bodyExpected - m_bodyReceived);
        m_bodyReceived += take;
        m_requestBytes += take;
        rest = rest.sliced(take);
        if (m_bodyExpected < 0 || m_bodyReceived < m_bodyExpected) {
            break;
        }
        m_parsed.push_back(m_closeAfterAnswer);
        m_phase = Phase::Idle;
    }
    if (m_requestBytes > m_limits.maxRequestBytes) {
        const qint64 total = m_requestBytes;
        refuse(413, "Payload Too Large", R"({"error":"The request is larger than the service accepts."})");
        m_onRefused(ConnectionRefusal::TooLarge, total);
        return;
    }
    updateDeadline();
}

void GuardedConnection::updateDeadline()
{
    // No deadline runs while requests are being answered: the time is the service's, not the client's.
    if (busy() || m_phase == Phase::Closed) {
        m_deadline.invalidate();
        return;
    }
    switch (m_phase) {
    case Phase::Idle:
        enterIdle();
        break;
    case Phase::Headers:
        armDeadline(m_phaseStart + m_limits.headerTimeout - m_clock.monotonicNow(), ConnectionRefusal::HeaderTimeout);
        break;
    case Phase::Body:
        // The body must keep up a minimum rate after a grace period, so that announcing a large
        // body and trickling it buys no more time than sending it at that rate would.
        armDeadline(m_phaseStart + m_limits.bodyTimeout + static_cast<double>(m_bodyReceived) / m_limits.bodyMinRate -
                        m_clock.monotonicNow(),
                    ConnectionRefusal::BodyTimeout);
        break;
    case Phase::Closed:
        break;
    }
}

void GuardedConnection::readHead()
{
    const QList<QByteArray> lines = m_head.split('\n');
    const QByteArray requestLine = lines.value(0).trimmed();
    const bool http10 = requestLine.endsWith("HTTP/1.0");
    bool close = false;
    bool keepAlive = false;
    m_bodyExpected = 0;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray& line = lines.at(i);
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0) {
            continue;
        }
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed().toLower();
        if (name == "content-length") {
            m_bodyExpected = value.toLongLong();
        } else if (name == "transfer-encoding" && value.contains("chunked")) {
            // The end of a chunked body is not known here; the rate limit still applies. The HTTP
            // server drops a request pipelined after a chunked body, so the connection ends with
            // the answer, which tells the client to send the rest again.
            m_bodyExpected = -1;
            close = true;
        } else if (name == "connection") {
            for (const QByteArray& token : value.split(',')) {
                close = close || token.trimmed() == "close";
                keepAlive = keepAlive || token.trimmed() == "keep-alive";
            }
        }
    }
    m_closeAfterAnswer = close || (http10 && !keepAlive);
}

quint64 GuardedConnection::requestStarted()
{
    bool closes = m_closeAfterAnswer;
    if (!m_parsed.empty()) {
        closes = m_parsed.front();
        m_parsed.pop_front();
    } else if (m_phase == Phase::Body) {
        // A chunked body, whose end only the HTTP server saw.
        m_phase = Phase::Idle;
    }
    m_owed.push_back({closes, false, {}});
    m_deadline.invalidate();
    return m_firstTicket + m_owed.size() - 1;
}

bool GuardedConnection::closesAfterAnswer(quint64 ticket) const
{
    const quint64 index = ticket - m_firstTicket;
    return ticket >= m_firstTicket && index < m_owed.size() && m_owed[index].closes;
}

void GuardedConnection::answer(quint64 ticket, const QByteArray& bytes)
{
    const quint64 index = ticket - m_firstTicket;
    if (ticket < m_firstTicket || index >= m_owed.size()) {
        return;
    }
    m_owed[index].bytes = bytes;
    m_owed[index].ready = true;
    flushAnswers();
}

void GuardedConnection::flushAnswers()
{
    // A socket no longer connected has read the end of the client's stream and closed; the client
    // may still wait, and the spare descriptor reaches it.
    const bool connected = m_socket && m_socket->state() == QAbstractSocket::ConnectedState;
    bool closing = false;
    while (!m_owed.empty() && m_owed.front().ready && !closing) {
        const Owed done = std::move(m_owed.front());
        m_owed.pop_front();
        ++m_firstTicket;
        m_unsent += done.bytes;
        if (connected) {
            m_socket->write(done.bytes);
        }
        closing = done.closes;
    }
    // A client that has finished sending is owed nothing more once no request is on its way.
    closing = closing || (m_clientFinished && !busy() && m_phase == Phase::Idle);
    if (closing) {
        // Whatever the client sent after the request that ends the connection goes unanswered.
        m_phase = Phase::Closed;
        m_owed.clear();
        m_parsed.clear();
        m_deadline.invalidate();
    }
    if (!connected) {
        writeSpare();
        return;
    }
    m_socket->flush();
    if (closing) {
        m_socket->disconnectFromHost();
        return;
    }
    // A request that began to arrive while the earlier ones were answered gets its full time now.
    if (!busy() && m_phase != Phase::Idle) {
        m_phaseStart = m_clock.monotonicNow();
    }
    updateDeadline();
}

void GuardedConnection::bytesWritten(qint64 count)
{
    m_unsent.remove(0, std::min<qint64>(count, m_unsent.size()));
}

void GuardedConnection::socketGone()
{
    m_deadline.invalidate();
    if (!m_unsent.isEmpty()) {
        writeSpare();
    } else if (m_owed.empty()) {
        closeSpare();
    }
}

void GuardedConnection::clientFinished()
{
    m_clientFinished = true;
    if (!m_socket || busy() || m_phase != Phase::Idle) {
        // The last answer, or the deadline of the request in progress, ends the connection.
        return;
    }
    // Bytes the client sent last may still be on their way to the socket; when none are, nothing
    // more can arrive.
    int unread = 0;
    if (m_socket->bytesAvailable() == 0 &&
        ::ioctl(static_cast<int>(m_socket->socketDescriptor()), FIONREAD, &unread) == 0 && unread == 0) {
        m_phase = Phase::Closed;
        m_deadline.invalidate();
        // A TLS socket still in its handshake would wait for the client's part of it forever.
        if (awaitsHandshake()) {
            m_socket->abort();
        } else {
            m_socket->disconnectFromHost();
        }
    }
}

bool GuardedConnection::awaitsHandshake() const
{
    const auto* secure = qobject_cast<const QSslSocket*>(m_socket.data());
    return secure != nullptr && !secure->isEncrypted();
}

void GuardedConnection::enterIdle()
{
    m_phase = Phase::Idle;
    m_head.clear();
    m_closeAfterAnswer = false;
    m_deadline.invalidate();
    m_deadline = m_clock.singleShot(m_limits.idleTimeout, m_socket, [socket = m_socket] {
        if (socket) {
            socket->disconnectFromHost();
        }
    });
}

void GuardedConnection::armDeadline(double seconds, ConnectionRefusal reason)
{
    m_deadline.invalidate();
    m_deadline = m_clock.singleShot(std::max(0.0, seconds), m_socket, [this, reason] { expire(reason); });
}

void GuardedConnection::expire(ConnectionRefusal reason)
{
    const qint64 total = m_requestBytes;
    refuse(408, "Request Timeout", R"({"error":"The request did not arrive in time."})");
    m_onRefused(reason, total);
}

void GuardedConnection::refuse(int status, const QByteArray& reason, const QByteArray& message)
{
    m_deadline.invalidate();
    if (!m_socket) {
        return;
    }
    // Taken away before the HTTP server parses it: this request is not going to be answered.
    m_socket->readAll();
    if (m_socket->state() != QAbstractSocket::ConnectedState) {
        return;
    }
    if (awaitsHandshake()) {
        // Nothing can be written before the handshake completes: a TLS socket would keep the
        // answer, and the connection, until then. The connection ends without one.
        m_phase = Phase::Closed;
        m_parsed.clear();
        m_owed.clear();
        m_socket->abort();
        return;
    }
    const QByteArray bytes = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason +
                             "\r\nContent-Type: application/json\r\nConnection: close\r\nContent-Length: " +
                             QByteArray::number(message.size()) + "\r\n\r\n" + message;
    m_unsent = bytes;
    m_socket->write(bytes);
    m_phase = Phase::Closed;
    m_parsed.clear();
    m_owed.clear();
    m_socket->disconnectFromHost();
}

void GuardedConnection::writeSpare()
{
    if (m_spare >= 0) {
        switch (sendPending(m_spare, m_unsent)) {
        case SendOutcome::Sent:
            break;
        case SendOutcome::WouldBlock:
            if (!m_spareWriter) {
                m_spareWriter = std::make_unique<QSocketNotifier>(m_spare, QSocketNotifier::Write);
                QObject::connect(m_spareWriter.get(), &QSocketNotifier::activated, m_spareWriter.get(),
                                 [this] { writeSpare(); });
            }
            return;
        case SendOutcome::Gone:
            // The client is gone altogether; nobody is left to read the answer.
            m_unsent.clear();
            break;
        }
    }
    // Kept while later answers are still owed to a client that half-closed after pipelining.
    if (m_owed.empty() || m_phase == Phase::Closed) {
        closeSpare();
    }
}

void GuardedConnection::closeSpare()
{
    if (m_spareWriter) {
        m_spareWriter->setEnabled(false);
        m_spareWriter.release()->deleteLater();
    }
    if (m_spare >= 0) {
        ::close(m_spare);
        m_spare = -1;
    }
}

} // namespace quillora
