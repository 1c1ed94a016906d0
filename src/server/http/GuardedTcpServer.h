#pragma once

#include "server/http/GuardedConnection.h"

#include <QHash>
#include <QSslConfiguration>
#include <QTcpServer>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>

namespace quillora {

class Clock;

/**
 * The listening socket of the HTTP server, guarding it against clients that would hold it: each
 * connection is watched by a `GuardedConnection` (size, header, body and idle limits), connections
 * beyond the total or per-address limit are answered 503 and closed (over TLS closed at once,
 * without a handshake), and when the process runs out of descriptors accepting pauses until a
 * connection closes (or for a moment) instead of spinning or failing for good. Accepting pauses a
 * few descriptors before the process limit, so that the database and the upstream connections
 * still find one.
 *
 * Setting up a connection costs the serving thread tens of microseconds, so when hundreds arrive
 * at once, a health check at the back of the queue would wait for all of them. At most a batch
 * of connections is set up per pass of the event loop; the others wait for later passes, except
 * urgent requests, recognised by their first bytes.
 */
class GuardedTcpServer final : public QTcpServer
{
    Q_OBJECT

public:
    /**
     * `onRefused` is told of every refused or cut-off connection, with the bytes it had sent.
     * With `tls`, every connection is encrypted with it (the handshake counts as header time, and
     * a connection whose handshake is not complete then ends without an answer).
     */
    GuardedTcpServer(const ConnectionLimits& limits, Clock& clock, GuardedConnection::RefusalSink onRefused,
                     std::optional<QSslConfiguration> tls = std::nullopt, QObject* parent = nullptr);
    ~GuardedTcpServer() override;

    /** The watcher of `socket`, or null for a socket this server did not accept. */
    [[nodiscard]] std::shared_ptr<GuardedConnection> connectionFor(QTcpSocket* socket) const;

    /** Connections open now, including those accepted and waiting to be set up. */
    [[nodiscard]] int openConnections() const { return static_cast<int>(m_connections.size() + m_waiting.size()); }

    /**
     * Requests whose first bytes start with one of `prefixes` (such as "GET /api/v1/health ")
     * are set up at once even while a burst of other connections waits for later passes.
     */
    void setUrgentRequests(QList<QByteArray> prefixes) { m_urgent = std::move(prefixes); }

protected:
    void incomingConnection(qintptr socketDescriptor) override;

private:
    void setUp(qintptr socketDescriptor);
    [[nodiscard]] bool isUrgent(qintptr socketDescriptor) const;
    void schedulePass();
    void nextPass();
    void forget(QTcpSocket* socket);
    void acceptFailed(QAbstractSocket::SocketError error);
    void pauseForDescriptors();
    void resumeIfPaused();

    ConnectionLimits m_limits;
    Clock& m_clock;
    GuardedConnection::RefusalSink m_onRefused;
    std::optional<QSslConfiguration> m_tls;
    std::unordered_map<QTcpSocket*, std::shared_ptr<GuardedConnection>> m_connections;
    QHash<QHostAddress, int> m_perClient;
    /** Accepted descriptors from this number on mean the process is about to run out. */
    qintptr m_descriptorCeiling = 0;
    bool m_paused = false;
    /** Out of descriptors since the last time one below the ceiling was accepted; reported once. */
    bool m_exhausted = false;
    Timer m_resume;
    QList<QByteArray> m_urgent;
    /** Accepted descriptors waiting for a later pass of the event loop, oldest first. */
    std::deque<qintptr> m_waiting;
    int m_setUpThisPass = 0;
    bool m_passScheduled = false;
};

} // namespace quillora
