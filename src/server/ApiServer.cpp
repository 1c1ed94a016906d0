#include "server/ApiServer.h"

#include "core/Detached.h"
#include "server/ApiError.h"
#include "server/GuardedTcpServer.h"
#include "server/RewriteEngine.h"
#include "server/ServerError.h"
#include "server/ServiceLog.h"
#include "server/TokenService.h"

#include <QElapsedTimer>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QJsonObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

namespace quillora {

namespace {

constexpr qsizetype kMaxBodyBytes = 64 * 1024;
// Anything up to this is read and answered with a proper 413; beyond it the connection is cut.
constexpr qint64 kMaxRequestBytes = 1024 * 1024;

QByteArray methodName(QHttpServerRequest::Method method)
{
    switch (method) {
    case QHttpServerRequest::Method::Get:
        return "GET";
    case QHttpServerRequest::Method::Put:
        return "PUT";
    case QHttpServerRequest::Method::Delete:
        return "DELETE";
    case QHttpServerRequest::Method::Post:
        return "POST";
    case QHttpServerRequest::Method::Head:
        return "HEAD";
    case QHttpServerRequest::Method::Options:
        return "OPTIONS";
    case QHttpServerRequest::Method::Patch:
        return "PATCH";
    case QHttpServerRequest::Method::Connect:
        return "CONNECT";
    case QHttpServerRequest::Method::Trace:
        return "TRACE";
    default:
        return "UNKNOWN";
    }
}

QByteArray bearerTokenOf(const QByteArray& authorization)
{
    static const QByteArray scheme = "bearer ";
    if (authorization.size() <= scheme.size() || authorization.left(scheme.size()).toLower() != scheme) {
        return {};
    }
    return authorization.mid(scheme.size()).trimmed();
}

} // namespace

QList<QByteArray> ApiServer::allowedMethods(Route route)
{
    switch (route) {
    case Route::Health:
        return {"GET"};
    case Route::Presets:
        return {"GET", "POST"};
    case Route::Preset:
        return {"PUT", "DELETE"};
    case Route::Refresh:
    case Route::Polish:
    case Route::Interactions:
        return {"POST"};
    case Route::Missing:
        break;
    }
    return {};
}

/** One request while it is being answered. */
struct ApiServer::Exchange
{
    Route route = Route::Missing;
    QString argument;
    QByteArray method;
    QString path;
    QByteArray body;
    QByteArray authorization;
    QElapsedTimer timer;
    QPointer<QTcpSocket> socket;
    QHttpServerResponder responder;
};

ApiServer::ApiServer(Store& store, TokenService& tokens, RewriteEngine& engine, Clock& clock, ServiceLog& log,
                     Settings settings, QObject* parent)
    : QObject(parent)
    , m_tokens(tokens)
    , m_engine(engine)
    , m_log(log)
    , m_settings(std::move(settings))
    , m_presets(store, clock)
    , m_polish(store, engine, clock)
    , m_auth(tokens)
{
    addRoute(QStringLiteral("/api/v1/health"), Route::Health);
    addRoute(QStringLiteral("/api/v1/auth/refresh"), Route::Refresh);
    addRoute(QStringLiteral("/api/v1/polish"), Route::Polish);
    addRoute(QStringLiteral("/api/v1/presets"), Route::Presets);
    m_http.route(QStringLiteral("/api/v1/presets/<arg>"), QHttpServerRequest::Method::AnyKnown,
                 [this](const QString& id, const QHttpServerRequest& request, QHttpServerResponder&& responder) {
                     accept(Route::Preset, id, request, std::move(responder));
                 });
    m_http.route(QStringLiteral("/api/v1/polishing/<arg>/interactions"), QHttpServerRequest::Method::AnyKnown,
                 [this](const QString& id, const QHttpServerRequest& request, QHttpServerResponder&& responder) {
                     accept(Route::Interactions, id, request, std::move(responder));
                 });
    m_http.setMissingHandler([this](const QHttpServerRequest& request, QHttpServerResponder&& responder) {
        accept(Route::Missing, {}, request, std::move(responder));
    });
}

ApiServer::~ApiServer() = default;

void ApiServer::addRoute(const QString& path, Route route)
{
    m_http.route(path, QHttpServerRequest::Method::AnyKnown,
                 [this, route](const QHttpServerRequest& request, QHttpServerResponder&& responder) {
                     accept(route, {}, request, std::move(responder));
                 });
}

quint16 ApiServer::listen(const QHostAddress& host, quint16 port)
{
    auto* server = new GuardedTcpServer(
        kMaxRequestBytes,
        [this](qint64 received) {
            m_log.error(QStringLiteral("cut off a connection that sent %1 bytes for one request").arg(received));
        },
        &m_http);
    if (!server->listen(host, port)) {
        const QString reason = server->errorString();
        delete server;
        const QString address = host.protocol() == QAbstractSocket::IPv6Protocol
                                    ? QStringLiteral("[%1]:%2").arg(host.toString()).arg(port)
                                    : QStringLiteral("%1:%2").arg(host.toString()).arg(port);
        throw ServerError(ServerError::Kind::Network, QStringLiteral("cannot listen on %1: %2").arg(address, reason));
    }
    m_http.bind(server);
    return server->serverPort();
}

void ApiServer::stopListening()
{
    for (QTcpServer* server : m_http.servers()) {
        server->close();
    }
}

void ApiServer::accept(Route route, const QString& argument, const QHttpServerRequest& request,
                       QHttpServerResponder&& responder)
{
    QPointer<QTcpSocket> socket = responder.socket();
    auto exchange = std::shared_ptr<Exchange>(new Exchange{route,
                                                           argument,
                                                           methodName(request.method()),
                                                           request.url().path(QUrl::FullyEncoded),
                                                           request.body(),
                                                           request.value("Authorization"),
                                                           {},
                                                           socket,
                                                           std::move(responder)});
    exchange->timer.start();
    ++m_pending;
    // The task finishes on its own; a rules-engine polishing completes before this call returns.
    runDetached(run(std::move(exchange)));
}

QCoro::Task<> ApiServer::run(std::shared_ptr<Exchange> exchange)
{
    ApiResponse response;
    try {
        response = co_await respond(*exchange);
    } catch (const ApiError& error) {
        response = ApiResponse::error(error.status(), error.localizedDescription());
    } catch (const Error& error) {
        m_log.error(QStringLiteral("%1 %2 failed: %3")
                        .arg(QString::fromLatin1(exchange->method), exchange->path, error.localizedDescription()));
        response = ApiResponse::error(500, QStringLiteral("The service could not complete the request."));
    } catch (const std::exception& error) {
        m_log.error(QStringLiteral("%1 %2 failed: %3")
                        .arg(QString::fromLatin1(exchange->method), exchange->path, QString::fromUtf8(error.what())));
        response = ApiResponse::error(500, QStringLiteral("The service could not complete the request."));
    } catch (...) {
        m_log.error(QStringLiteral("%1 %2 failed").arg(QString::fromLatin1(exchange->method), exchange->path));
        response = ApiResponse::error(500, QStringLiteral("The service could not complete the request."));
    }
    send(*exchange, response);
}

QCoro::Task<ApiResponse> ApiServer::respond(const Exchange& exchange)
{
    if (exchange.route == Route::Missing) {
        throw ApiError(404, QStringLiteral("There is no such endpoint."));
    }
    const QByteArray& method = exchange.method;
    const QList<QByteArray> allowed = allowedMethods(exchange.route);
    if (!allowed.contains(method)) {
        const QByteArray allowText = allowed.join(", ");
        ApiResponse refusal =
            ApiResponse::error(405, QStringLiteral("%1 is not allowed here; use %2.")
                                        .arg(QString::fromLatin1(method), QString::fromLatin1(allowText)));
        refusal.allow = allowText;
        co_return refusal;
    }
    if (exchange.body.size() > kMaxBodyBytes) {
        throw ApiError(413, QStringLiteral("The request body is larger than 64 KiB."));
    }
    if (exchange.route == Route::Health) {
        co_return health();
    }
    if (exchange.route == Route::Refresh) {
        co_return m_auth.refresh(exchange.body);
    }
    const qint64 userId = authenticate(exchange);
    switch (exchange.route) {
    case Route::Polish:
        co_return co_await m_polish.polish(userId, exchange.body);
    case Route::Interactions:
        co_return m_polish.logInteraction(userId, exchange.argument, exchange.body);
    case Route::Presets:
        co_return method == "GET" ? m_presets.list(userId) : m_presets.create(userId, exchange.body);
    case Route::Preset:
        co_return method == "PUT" ? m_presets.update(userId, exchange.argument, exchange.body)
                                  : m_presets.remove(userId, exchange.argument);
    default:
        throw ApiError(404, QStringLiteral("There is no such endpoint."));
    }
}

qint64 ApiServer::authenticate(const Exchange& exchange)
{
    if (m_settings.mode == AuthMode::Local) {
        return m_settings.localUserId;
    }
    const QByteArray token = bearerTokenOf(exchange.authorization);
    if (token.isEmpty()) {
        throw ApiError(401, QStringLiteral("A bearer access token is required."));
    }
    const auto userId = m_tokens.authenticate(QString::fromLatin1(token));
    if (!userId) {
        throw ApiError(401, QStringLiteral("The access token is not valid or has expired."));
    }
    return *userId;
}

ApiResponse ApiServer::health() const
{
    return ApiResponse::json(200,
                             QJsonObject{
                                 {QStringLiteral("status"), QStringLiteral("ok")},
                                 {QStringLiteral("mode"), m_settings.mode == AuthMode::Local ? QStringLiteral("local")
                                                                                             : QStringLiteral("token")},
                                 {QStringLiteral("model"), m_engine.model()},
                             });
}

void ApiServer::send(Exchange& exchange, const ApiResponse& response)
{
    // The client may have gone while its request was being answered; there is nobody to tell.
    if (exchange.socket && exchange.socket->state() == QAbstractSocket::ConnectedState) {
        QHttpServerResponder& responder = exchange.responder;
        responder.writeStatusLine(static_cast<QHttpServerResponder::StatusCode>(response.status));
        if (!response.body.isEmpty()) {
            responder.writeHeader("Content-Type", "application/json");
        }
        // A 204 has no body, and so no length either.
        if (response.status != 204) {
            responder.writeHeader("Content-Length", QByteArray::number(response.body.size()));
        }
        responder.writeHeader("Cache-Control", "no-store");
        if (!m_settings.latestVersion.isEmpty()) {
            responder.writeHeader("X-Latest-App-Version", m_settings.latestVersion.toUtf8());
            responder.writeHeader("X-Latest-App-URL", m_settings.latestUrl.toUtf8());
        }
        if (response.status == 401) {
            responder.writeHeader("WWW-Authenticate", "Bearer");
        }
        if (!response.allow.isEmpty()) {
            responder.writeHeader("Allow", response.allow);
        }
        responder.writeBody(response.body);
    }
    m_log.request(exchange.method, exchange.path, response.status,
                  static_cast<double>(exchange.timer.nsecsElapsed()) / 1e6, response.body.size());
    if (--m_pending == 0) {
        Q_EMIT drained();
    }
}

} // namespace quillora
