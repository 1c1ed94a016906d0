#include "server/GuardedConnection.h"

#include <QSocketNotifier>
#include <QTcpSocket>

#include <algorithm>

#include <cerrno>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace quillora {

namespace {

constexpr QByteArrayView kHeadEnd = "\r\n\r\n";

} // namespace

GuardedConnection::GuardedConnection(QTcpSocket* socket, const ConnectionLimits& limits, Clock& clock,
                                     RefusalSink onRefused, Spare spare)
    : m_socket(socket)
    , m_peer(socket->peerAddress())
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
    if (bytes.isEmpty() || !m_socket) {
        return;
    }
    m_requestBytes += bytes.size();
    if (m_requestBytes > m_limits.maxRequestBytes) {
        const qint64 total = m_requestBytes;
        refuse(413, "Payload Too Large", R"({"error":"The request is larger than the service accepts."})");
        m_onRefused(ConnectionRefusal::TooLarge, total);
        return;
    }
    switch (m_phase) {
    case Phase::Idle:
        m_phase = Phase::Headers;
        m_head.clear();
        armDeadline(m_limits.headerTimeout, ConnectionRefusal::HeaderTimeout);
        [[fallthrough]];
    case Phase::Headers: {
        // Only the bytes that can still complete the terminator need searching again.
        const qsizetype searchFrom = std::max<qsizetype>(0, m_head.size() - 3);
        m_head += bytes;
        const qsizetype end = m_head.indexOf(kHeadEnd, searchFrom);
        if (end < 0) {
            return;
        }
        m_bodyReceived = m_head.size() - end - kHeadEnd.size();
        m_head.truncate(end);
        readHead();
        m_phase = Phase::Body;
        m_bodyStart = m_clock.monotonicNow();
        break;
    }
    case Phase::Body:
        m_bodyReceived += bytes.size();
        break;
    case Phase::Handling:
        return;
    }
    if (m_bodyExpected >= 0 && m_bodyReceived >= m_bodyExpected) {
        // Complete: the HTTP server hands it over in this same pass.
        m_deadline.invalidate();
        return;
    }
    // The body must keep up a minimum rate after a grace period, so that announcing a large body
    // and trickling it buys no more time than sending it at that rate would.
    const double deadline =
        m_bodyStart + m_limits.bodyTimeout + static_cast<double>(m_bodyReceived) / m_limits.bodyMinRate;
    armDeadline(deadline - m_clock.monotonicNow(), ConnectionRefusal::BodyTimeout);
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
            // The end of a chunked body is not known here; the rate limit still applies.
            m_bodyExpected = -1;
        } else if (name == "connection") {
            for (const QByteArray& token : value.split(',')) {
                close = close || token.trimmed() == "close";
                keepAlive = keepAlive || token.trimmed() == "keep-alive";
            }
        }
    }
    m_closeAfterAnswer = close || (http10 && !keepAlive);
}

void GuardedConnection::requestStarted()
{
    m_phase = Phase::Handling;
    m_owed = true;
    m_deadline.invalidate();
}

void GuardedConnection::answer(const QByteArray& bytes)
{
    m_requestBytes = 0;
    m_owed = false;
    if (m_socket && m_socket->state() == QAbstractSocket::ConnectedState) {
        m_unsent = bytes;
        m_socket->write(bytes);
        m_socket->flush();
        if (m_closeAfterAnswer) {
            m_socket->disconnectFromHost();
        } else {
            enterIdle();
        }
        return;
    }
    // The socket has read the end of the client's stream and closed; the client still waits.
    m_unsent = bytes;
    writeSpare();
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
    } else if (!m_owed) {
        closeSpare();
    }
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
    const QByteArray bytes = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason +
                             "\r\nContent-Type: application/json\r\nConnection: close\r\nContent-Length: " +
                             QByteArray::number(message.size()) + "\r\n\r\n" + message;
    m_unsent = bytes;
    m_socket->write(bytes);
    m_phase = Phase::Handling;
    m_socket->disconnectFromHost();
}

void GuardedConnection::writeSpare()
{
    while (m_spare >= 0 && !m_unsent.isEmpty()) {
        const ssize_t sent =
            ::send(m_spare, m_unsent.constData(), static_cast<size_t>(m_unsent.size()), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent > 0) {
            m_unsent.remove(0, sent);
        } else if (sent < 0 && errno == EINTR) {
            continue;
        } else if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (!m_spareWriter) {
                m_spareWriter = std::make_unique<QSocketNotifier>(m_spare, QSocketNotifier::Write);
                QObject::connect(m_spareWriter.get(), &QSocketNotifier::activated, m_spareWriter.get(),
                                 [this] { writeSpare(); });
            }
            return;
        } else {
            // The client is gone altogether; nobody is left to read the answer.
            m_unsent.clear();
        }
    }
    closeSpare();
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
