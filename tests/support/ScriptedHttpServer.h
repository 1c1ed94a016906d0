#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>

class QTcpServer;
class QTcpSocket;

namespace quillora::test {

/**
 * A small HTTP/1.1 server on 127.0.0.1 that a test scripts: a handler decides the answer to each
 * request (or holds it back for the test to release later), and every request is recorded. Runs on
 * the Qt event loop of the test thread; tests wait for answers with `waitUntil`.
 */
class ScriptedHttpServer final : public QObject
{
    Q_OBJECT

public:
    struct Request
    {
        QByteArray method;
        /** The request target: path and query, e.g. "/api/v1/presets". */
        QByteArray target;
        /** Header names in lower case. */
        QMap<QByteArray, QByteArray> headers;
        QByteArray body;

        [[nodiscard]] std::optional<QByteArray> header(const QByteArray& name) const;
        [[nodiscard]] QJsonObject json() const;
    };

    struct Reply
    {
        int status = 200;
        QByteArray body;
        QList<QPair<QByteArray, QByteArray>> headers;
        /** Close the connection instead of answering (a transport failure). */
        bool dropConnection = false;

        [[nodiscard]] static Reply json(int status, const QJsonValue& body,
                                        QList<QPair<QByteArray, QByteArray>> headers = {});
        [[nodiscard]] static Reply text(int status, const QByteArray& body);
        [[nodiscard]] static Reply drop();
    };

    /** Answers the request, or returns none to hold it until `releaseHeld`. */
    using Handler = std::function<std::optional<Reply>(const Request&)>;

    ScriptedHttpServer();
    ~ScriptedHttpServer() override;

    /** "http://127.0.0.1:<port>". */
    [[nodiscard]] QString origin() const;

    /** Replaces the handler; the default answers 404 with an empty body. */
    void setHandler(Handler handler) { m_handler = std::move(handler); }

    /** Every request received, in arrival order. */
    [[nodiscard]] const QList<Request>& requests() const { return m_requests; }

    /** How many requests had this method and target. */
    [[nodiscard]] int count(const QByteArray& method, const QByteArray& target) const;

    /** Requests held back and not yet released. */
    [[nodiscard]] int heldCount() const { return static_cast<int>(m_held.size()); }

    /** Answers the oldest held request with `reply`. */
    void releaseHeld(const Reply& reply);

    /** A free port on 127.0.0.1 that nothing listens on (connections to it are refused). */
    [[nodiscard]] static QString closedOrigin();

private:
    struct Held
    {
        QPointer<QTcpSocket> socket;
    };

    void onNewConnection();
    void onReadyRead(QTcpSocket* socket);
    static void write(QTcpSocket* socket, const Reply& reply);

    QTcpServer* m_server = nullptr;
    Handler m_handler;
    QList<Request> m_requests;
    QList<Held> m_held;
    QMap<QTcpSocket*, QByteArray> m_buffers;
};

} // namespace quillora::test
