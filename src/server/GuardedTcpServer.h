#pragma once

#include <QTcpServer>

#include <functional>

namespace quillora {

/**
 * The listening socket of the HTTP server, with a limit on how much a client may send for one
 * request. The HTTP server reads a whole request into memory before any handler sees it, so a
 * client sending gigabytes could exhaust the memory; past the limit the connection is answered
 * 413 and closed. The count starts again whenever the service has written its answer.
 */
class GuardedTcpServer final : public QTcpServer
{
    Q_OBJECT

public:
    /** `onRefused` is told the number of bytes received when a connection is cut off. */
    GuardedTcpServer(qint64 maxRequestBytes, std::function<void(qint64)> onRefused, QObject* parent = nullptr);

protected:
    void incomingConnection(qintptr socketDescriptor) override;

private:
    qint64 m_maxRequestBytes;
    std::function<void(qint64)> m_onRefused;
};

} // namespace quillora
