#include "support/ScriptedHttpServer.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTcpServer>
#include <QTcpSocket>

namespace quillora::test {

namespace {

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 201:
        return "Created";
    case 204:
        return "No Content";
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 404:
        return "Not Found";
    case 429:
        return "Too Many Requests";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

} // namespace

std::optional<QByteArray> ScriptedHttpServer::Request::header(const QByteArray& name) const
{
    const auto it = headers.constFind(name.toLower());
    return it == headers.cend() ? std::nullopt : std::optional<QByteArray>(*it);
}

QJsonObject ScriptedHttpServer::Request::json() const
{
    return QJsonDocument::fromJson(body).object();
}

ScriptedHttpServer::Reply ScriptedHttpServer::Reply::json(int status, const QJsonValue& body,
                                                          QList<QPair<QByteArray, QByteArray>> headers)
{
    const QJsonDocument document = body.isArray() ? QJsonDocument(body.toArray()) : QJsonDocument(body.toObject());
    headers.append(qMakePair(QByteArray("Content-Type"), QByteArray("application/json")));
    return Reply{status, document.toJson(QJsonDocument::Compact), std::move(headers), false};
}

ScriptedHttpServer::Reply ScriptedHttpServer::Reply::text(int status, const QByteArray& body)
{
    return Reply{status, body, {{"Content-Type", "text/plain"}}, false};
}

ScriptedHttpServer::Reply ScriptedHttpServer::Reply::drop()
{
    return Reply{0, {}, {}, true};
}

ScriptedHttpServer::ScriptedHttpServer()
    : m_server(new QTcpServer(this))
    , m_handler([](const Request&) {
        return Reply{404, {}, {}, false};
    })
{
    m_server->listen(QHostAddress::LocalHost, 0);
    connect(m_server, &QTcpServer::newConnection, this, &ScriptedHttpServer::onNewConnection);
}

ScriptedHttpServer::~ScriptedHttpServer() = default;

QString ScriptedHttpServer::origin() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(m_server->serverPort());
}

int ScriptedHttpServer::count(const QByteArray& method, const QByteArray& target) const
{
    return static_cast<int>(std::count_if(m_requests.cbegin(), m_requests.cend(), [&](const Request& request) {
        return request.method == method && request.target == target;
    }));
}

void ScriptedHttpServer::releaseHeld(const Reply& reply)
{
    if (m_held.isEmpty()) {
        return;
    }
    const Held held = m_held.takeFirst();
    if (held.socket) {
        write(held.socket, reply);
    }
}

QString ScriptedHttpServer::closedOrigin()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return QStringLiteral("http://127.0.0.1:%1").arg(port);
}

void ScriptedHttpServer::onNewConnection()
{
    while (QTcpSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            m_buffers.remove(socket);
            socket->deleteLater();
        });
    }
}

void ScriptedHttpServer::onReadyRead(QTcpSocket* socket)
{
    QByteArray& buffer = m_buffers[socket];
    buffer += socket->readAll();
    for (;;) {
        const qsizetype headerEnd = buffer.indexOf("\r\n\r\n");
        if (headerEnd < 0) {
            return;
        }
        const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
        Request request;
        const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
        request.method = requestLine.value(0);
        request.target = requestLine.value(1);
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines[i].indexOf(':');
            if (colon > 0) {
                request.headers.insert(lines[i].left(colon).trimmed().toLower(), lines[i].mid(colon + 1).trimmed());
            }
        }
        const qsizetype length = request.header("content-length").value_or("0").toLongLong();
        if (buffer.size() < headerEnd + 4 + length) {
            return;
        }
        request.body = buffer.mid(headerEnd + 4, length);
        buffer.remove(0, headerEnd + 4 + length);
        m_requests.append(request);
        if (const std::optional<Reply> reply = m_handler(request)) {
            write(socket, *reply);
        } else {
            m_held.append(Held{socket});
        }
        if (!m_buffers.contains(socket)) {
            return;
        }
    }
}

void ScriptedHttpServer::write(QTcpSocket* socket, const Reply& reply)
{
    if (reply.dropConnection) {
        socket->abort();
        return;
    }
    QByteArray head = "HTTP/1.1 " + QByteArray::number(reply.status) + ' ' + reasonPhrase(reply.status) + "\r\n";
    // A 204 carries no body and, by the protocol, no length either.
    if (reply.status != 204) {
        head += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n";
    }
    for (const auto& [name, value] : reply.headers) {
        head += name + ": " + value + "\r\n";
    }
    socket->write(head + "\r\n" + (reply.status == 204 ? QByteArray() : reply.body));
    socket->flush();
}

} // namespace quillora::test
