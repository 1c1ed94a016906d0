#include "server/http/GuardedTcpServer.h"

#include "core/Clock.h"
#include "server/http/TlsRelay.h"

#include <QSslSocket>
#include <QTcpSocket>

#include <algorithm>
#include <array>
#include <limits>

#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace quillora {

namespace {

// Long enough not to spin while descriptors are exhausted, short enough that the service answers
// again soon after some are freed (a closed connection resumes at once).
constexpr double kAcceptRetrySeconds = 0.25;
constexpr int kMinimumBacklog = 128;
// Descriptors kept free for everything but client connections, at most a quarter of the limit.
constexpr rlim_t kReservedDescriptors = 16;
// Connections set up per pass of the event loop while others wait: about a millisecond of work.
constexpr int kSetUpsPerPass = 16;

qintptr descriptorCeiling()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY ||
        limit.rlim_cur > static_cast<rlim_t>(std::numeric_limits<int>::max())) {
        return std::numeric_limits<int>::max();
    }
    return static_cast<qintptr>(limit.rlim_cur - std::min(kReservedDescriptors, limit.rlim_cur / 4));
}

/** The address of the client connected at `descriptor`; null when it cannot be read. */
QHostAddress peerOf(int descriptor)
{
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    QHostAddress peer;
    if (::getpeername(descriptor, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        peer.setAddress(reinterpret_cast<const sockaddr*>(&address));
    }
    return peer;
}

} // namespace

GuardedTcpServer::GuardedTcpServer(const ConnectionLimits& limits, Clock& clock,
                                   GuardedConnection::RefusalSink onRefused, std::optional<QSslConfiguration> tls,
                                   QObject* parent)
    : QTcpServer(parent)
    , m_limits(limits)
    , m_clock(clock)
    , m_onRefused(std::move(onRefused))
    , m_tls(std::move(tls))
{
    connect(this, &QTcpServer::acceptError, this, &GuardedTcpServer::acceptFailed);
    m_descriptorCeiling = descriptorCeiling();
    // Qt's default queue of 50 unaccepted connections overflows when hundreds of clients connect
    // at once; the kernel then drops their SYNs, and each such client waits a full second before
    // trying again. A queue as long as the connection limit lets a burst wait a moment instead.
    setListenBacklogSize(std::max(kMinimumBacklog, m_limits.maxConnections));
}

GuardedTcpServer::~GuardedTcpServer()
{
    m_resume.invalidate();
    for (const qintptr waiting : m_waiting) {
        ::close(static_cast<int>(waiting));
    }
}

std::shared_ptr<GuardedConnection> GuardedTcpServer::connectionFor(QTcpSocket* socket) const
{
    const auto found = m_connections.find(socket);
    return found == m_connections.end() ? nullptr : found->second;
}

void GuardedTcpServer::incomingConnection(qintptr socketDescriptor)
{
    // The kernel hands out the lowest free descriptor, so a high one means that nearly all are
    // taken. Accepting pauses here: when accept() itself fails, Qt (6.4) often reports the error
    // as temporary, because the listening socket keeps the first error it ever had (an EAGAIN
    // from draining the queue), and its accept loop then spins without telling anyone.
    const bool nearlyOut = socketDescriptor >= m_descriptorCeiling;
    m_exhausted = m_exhausted && nearlyOut;
    if (nearlyOut) {
        pauseForDescriptors();
    }
    if ((m_setUpThisPass >= kSetUpsPerPass || !m_waiting.empty()) && !isUrgent(socketDescriptor)) {
        m_waiting.push_back(socketDescriptor);
        schedulePass();
        return;
    }
    setUp(socketDescriptor);
}

bool GuardedTcpServer::isUrgent(qintptr socketDescriptor) const
{
    if (m_urgent.isEmpty()) {
        return false;
    }
    std::array<char, 64> head{};
    const ssize_t peeked =
        ::recv(static_cast<int>(socketDescriptor), head.data(), head.size(), MSG_PEEK | MSG_DONTWAIT);
    const QByteArrayView first(head.data(), std::max<ssize_t>(peeked, 0));
    return std::any_of(m_urgent.cbegin(), m_urgent.cend(),
                       [&first](const QByteArray& prefix) { return first.startsWith(prefix); });
}

void GuardedTcpServer::schedulePass()
{
    if (!m_passScheduled) {
        m_passScheduled = true;
        QMetaObject::invokeMethod(this, &GuardedTcpServer::nextPass, Qt::QueuedConnection);
    }
}

void GuardedTcpServer::nextPass()
{
    m_passScheduled = false;
    m_setUpThisPass = 0;
    while (!m_waiting.empty() && m_setUpThisPass < kSetUpsPerPass) {
        const qintptr next = m_waiting.front();
        m_waiting.pop_front();
        setUp(next);
    }
    if (!m_waiting.empty()) {
        schedulePass();
    }
}

void GuardedTcpServer::setUp(qintptr socketDescriptor)
{
    ++m_setUpThisPass;
    schedulePass();
    const QHostAddress peer = peerOf(static_cast<int>(socketDescriptor));
    const bool tooMany = openConnections() >= m_limits.maxConnections;
    const bool refused = tooMany || m_perClient.value(peer) >= m_limits.maxConnectionsPerClient;
    const ConnectionRefusal refusal =
        tooMany ? ConnectionRefusal::TooManyConnections : ConnectionRefusal::TooManyFromClient;
    if (refused && m_tls) {
        // An answer over TLS could only be read after a handshake, which costs the service more
        // than the connection it refuses, and a client that never completes it would hold the
        // connection: it is closed at once.
        ::close(static_cast<int>(socketDescriptor));
        m_onRefused(refusal, 0);
        return;
    }
    QTcpSocket* socket = nullptr;
    TlsRelay* relay = nullptr;
    qintptr descriptor = socketDescriptor;
    if (m_tls) {
        relay = TlsRelay::create(static_cast<int>(socketDescriptor), this);
        if (relay == nullptr) {
            m_onRefused(ConnectionRefusal::NoDescriptors, 0);
            return;
        }
        descriptor = relay->serverDescriptor();
        auto* secure = new QSslSocket(this);
        secure->setSslConfiguration(*m_tls);
        socket = secure;
    } else {
        socket = new QTcpSocket(this);
    }
    if (!socket->setSocketDescriptor(descriptor)) {
        ::close(static_cast<int>(descriptor));
        delete socket;
        delete relay;
        return;
    }
    if (m_tls) {
        static_cast<QSslSocket*>(socket)->startServerEncryption();
    }
    if (refused) {
        const QByteArray body = R"({"error":"The service has too many connections; try again shortly."})";
        socket->write("HTTP/1.1 503 Service Unavailable\r\nContent-Type: application/json\r\nConnection: close\r\n"
                      "Retry-After: 1\r\nContent-Length: " +
                      QByteArray::number(body.size()) + "\r\n\r\n" + body);
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        socket->disconnectFromHost();
        m_onRefused(refusal, 0);
        return;
    }
    // Over TLS the relay keeps the end of the client's stream from the socket instead of a spare
    // descriptor, whose raw writes would bypass the encryption.
    auto connection =
        std::make_shared<GuardedConnection>(socket, peer, m_limits, m_clock, m_onRefused,
                                            m_tls ? GuardedConnection::Spare::None : GuardedConnection::Spare::Keep);
    if (relay != nullptr) {
        relay->setOnClientFinished([watched = std::weak_ptr<GuardedConnection>(connection)] {
            if (const std::shared_ptr<GuardedConnection> alive = watched.lock()) {
                alive->clientFinished();
            }
        });
    }
    m_connections.emplace(socket, connection);
    ++m_perClient[peer];
    // Connected before the HTTP server connects its own handler, so this one runs first and sees
    // (or takes away) the bytes before they are parsed.
    connect(socket, &QTcpSocket::readyRead, socket,
            [socket, connection] { connection->received(socket->peek(socket->bytesAvailable())); });
    connect(socket, &QTcpSocket::bytesWritten, socket, [connection](qint64 count) { connection->bytesWritten(count); });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] { forget(socket); });
    connect(socket, &QObject::destroyed, this, [this, socket] { forget(socket); });
    addPendingConnection(socket);
}

void GuardedTcpServer::forget(QTcpSocket* socket)
{
    const auto found = m_connections.find(socket);
    if (found == m_connections.end()) {
        return;
    }
    const std::shared_ptr<GuardedConnection> connection = found->second;
    m_connections.erase(found);
    if (--m_perClient[connection->peer()] <= 0) {
        m_perClient.remove(connection->peer());
    }
    connection->socketGone();
    resumeIfPaused();
}

void GuardedTcpServer::acceptFailed(QAbstractSocket::SocketError error)
{
    if (error != QAbstractSocket::SocketResourceError) {
        return;
    }
    pauseForDescriptors();
}

void GuardedTcpServer::pauseForDescriptors()
{
    // Qt pauses accepting after an accept error and would never resume; the pending clients wait
    // in the backlog until a connection closes, or the retry finds a descriptor free again.
    pauseAccepting();
    if (!m_exhausted) {
        m_onRefused(ConnectionRefusal::NoDescriptors, 0);
    }
    m_exhausted = true;
    m_paused = true;
    m_resume.invalidate();
    m_resume = m_clock.singleShot(kAcceptRetrySeconds, this, [this] { resumeIfPaused(); });
}

void GuardedTcpServer::resumeIfPaused()
{
    if (m_paused) {
        m_paused = false;
        m_resume.invalidate();
        resumeAccepting();
    }
}

} // namespace quillora
