#pragma once

#include "server/GuardedConnection.h"

#include <QHash>
#include <QSslConfiguration>
#include <QTcpServer>

#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>

namespace quillora {

class Clock;

/**
 * The listening socket of the HTTP server, guarding it against clients that would hold it: each
 * connection is watched by a `GuardedConnection` (size, header, body and idle limits), connections
 * beyond the total or per-address limit are answered 503 and closed, and when the process runs
 * out of descriptors accepting pauses until a connection closes (or for a moment) instead of
 * spinning or failing for good. Accepting pauses a few descriptors before the process limit, so
 * that the database and the upstream connections still find one.
 */
class GuardedTcpServer final : public QTcpServer
{
    Q_OBJECT

public:
    /**
     * `onRefused` is told of every refused or cut-off connection, with the bytes it had sent.
     * With `tls`, every connection is encrypted with it (the handshake counts as header time).
     */
    GuardedTcpServer(const ConnectionLimits& limits, Clock& clock, GuardedConnection::RefusalSink onRefused,
                     std::optional<QSslConfiguration> tls = std::nullopt, QObject* parent = nullptr);
    ~GuardedTcpServer() override;

    /** The watcher of `socket`, or null for a socket this server did not accept. */
    [[nodiscard]] std::shared_ptr<GuardedConnection> connectionFor(QTcpSocket* socket) const;

    /** Connections open now. */
    [[nodiscard]] int openConnections() const { return static_cast<int>(m_connections.size()); }

protected:
    void incomingConnection(qintptr socketDescriptor) override;

private:
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
};

} // namespace quillora
