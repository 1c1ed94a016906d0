#include "server/GuardedTcpServer.h"

#include <QTcpSocket>

#include <memory>

namespace quillora {

GuardedTcpServer::GuardedTcpServer(qint64 maxRequestBytes, std::function<void(qint64)> onRefused, QObject* parent)
    : QTcpServer(parent)
    , m_maxRequestBytes(maxRequestBytes)
    , m_onRefused(std::move(onRefused))
{
}

void GuardedTcpServer::incomingConnection(qintptr socketDescriptor)
{
    auto* socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(socketDescriptor)) {
        delete socket;
        return;
    }
    auto received = std::make_shared<qint64>(0);
    // Connected before the HTTP server connects its own handler, so this one runs first and can
    // take the data away before it is parsed.
    connect(socket, &QTcpSocket::readyRead, socket, [this, socket, received] {
        *received += socket->bytesAvailable();
        if (*received <= m_maxRequestBytes) {
            return;
        }
        socket->readAll();
        if (socket->state() != QAbstractSocket::ConnectedState) {
            return;
        }
        const QByteArray body = R"({"error":"The request is larger than the service accepts."})";
        socket->write("HTTP/1.1 413 Payload Too Large\r\nContent-Type: application/json\r\nConnection: close\r\n"
                      "Content-Length: " +
                      QByteArray::number(body.size()) + "\r\n\r\n" + body);
        socket->disconnectFromHost();
        if (m_onRefused) {
            m_onRefused(*received);
        }
    });
    connect(socket, &QTcpSocket::bytesWritten, socket, [received] { *received = 0; });
    addPendingConnection(socket);
}

} // namespace quillora
