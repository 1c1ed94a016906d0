#include "server/api/ApiServer.h"

#include "core/Detached.h"
#include "server/ServerError.h"
#include "server/ServiceLog.h"
#include "server/api/ApiError.h"
#include "server/api/TokenService.h"
#include "server/engines/RewriteEngine.h"
#include "server/http/GuardedTcpServer.h"
#include "server/store/StorePool.h"

#include <QElapsedTimer>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QJsonObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

namespace quillora {

namespace {

constexpr QByteArrayView kHealthPath = "/api/v1/health";

constexpr qsizetype kMaxBodyBytes = 64 * 1024;
// A database that takes longer than this to answer a trivial query counts as down for a balancer.
constexpr double kHealthTimeoutSeconds = 2;

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
    case Route::Metrics:
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
    std::shared_ptr<GuardedConnection> connection;
    QHttpServerResponder responder;
    /** The request's place among those on its connection. */
    quint64 ticket = 0;
};

ApiServer::ApiServer(StorePool& pool, TokenService& tokens, RewriteEngine& engine, Clock& clock, ServiceLog& log,
                     Settings settings, QObject* parent)
    : QObject(parent)
    , m_pool(pool)
    , m_tokens(tokens)
    , m_engine(engine)
    , m_log(log)
    , m_clock(clock)
    , m_settings(std::move(settings))
    , m_upstream(clock, m_settings.upstreamConcurrency, m_settings.upstreamQueueTimeout)
    , m_presets(pool, clock, m_settings.maxPresets)
    , m_polish(pool, engine, clock, m_upstream, m_settings.maxAnswerBytes, m_settings.dailyPolishLimit)
    , m_auth(tokens)
{
    m_pool.setWaitObserver([this](double seconds) { m_metrics.recordDatabaseWait(seconds); });
    addRoute(QString::fromLatin1(kHealthPath), Route::Health);
    addRoute(QStringLiteral("/metrics"), Route::Metrics);
    m_log.setUpstreamObserver([this](const QString& preset, double durationMs) {
        m_metrics.recordEngine(m_engine.model(), preset, durationMs / 1000.0);
    });
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

ApiServer::~ApiServer()
{
    m_pool.setWaitObserver({});
}

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
        m_settings.limits, m_clock,
        [this](ConnectionRefusal reason, qint64 received) {
            m_metrics.recordRefusal(reason);
            switch (reason) {
            case ConnectionRefusal::TooLarge:
                m_log.error(QStringLiteral("cut off a connection that sent %1 bytes for one request").arg(received));
                break;
            case ConnectionRefusal::NoDescriptors:
                m_log.error(QStringLiteral("out of file descriptors; accepting paused until some are free"));
                break;
            default:
                break;
            }
        },
        m_settings.tls, &m_http);
    server->setUrgentRequests({"GET " + kHealthPath.toByteArray() + ' ', "GET " + kHealthPath.toByteArray() + '?'});
    if (!server->listen(host, port)) {
        const QString reason = server->errorString();
        delete server;
        const QString address = host.protocol() == QAbstractSocket::IPv6Protocol
                                    ? QStringLiteral("[%1]:%2").arg(host.toString()).arg(port)
                                    : QStringLiteral("%1:%2").arg(host.toString()).arg(port);
        throw ServerError(ServerError::Kind::Network, QStringLiteral("cannot listen on %1: %2").arg(address, reason));
    }
    m_http.bind(server);
    m_listeners.append(server);
    return server->serverPort();
}

void ApiServer::stopListening()
{
    for (QTcpServer* server : m_http.servers()) {
        server->close();
    }
}

int ApiServer::openConnections() const
{
    int open = 0;
    for (const GuardedTcpServer* listener : m_listeners) {
        open += listener->openConnections();
    }
    return open;
}

void ApiServer::accept(Route route, const QString& argument, const QHttpServerRequest& request,
                       QHttpServerResponder&& responder)
{
    std::shared_ptr<GuardedConnection> connection;
    for (const GuardedTcpServer* listener : m_listeners) {
        connection = connection ? connection : listener->connectionFor(responder.socket());
    }
    const quint64 ticket = connection ? connection->requestStarted() : 0;
    auto exchange = std::shared_ptr<Exchange>(new Exchange{route,
                                                           argument,
                                                           methodName(request.method()),
                                                           request.url().path(QUrl::FullyEncoded),
                                                           request.body(),
                                                           request.value("Authorization"),
                                                           {},
                                                           connection,
                                                           std::move(responder),
                                                           ticket});
    exchange->timer.start();
    ++m_pending;
    // A health check starts at once. Other requests start a batch per pass of the event loop: when
    // hundreds arrive together, all are read in one pass, and a health check that came with them
    // would otherwise wait until every one of them had done its first part of the work.
    if (route == Route::Health) {
        runDetached(run(std::move(exchange)));
        return;
    }
    m_starts.post([this, exchange = std::move(exchange)]() mutable { runDetached(run(std::move(exchange))); });
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
        co_return co_await health();
    }
    if (exchange.route == Route::Metrics) {
        const bool databaseUp = co_await m_pool.answers(kHealthTimeoutSeconds);
        ApiResponse metrics{200, m_metrics.render(openConnections(), databaseUp), {}, "text/plain; version=0.0.4"};
        co_return metrics;
    }
    if (exchange.route == Route::Refresh) {
        co_return co_await m_auth.refresh(exchange.body);
    }
    const qint64 userId = co_await authenticate(exchange);
    switch (exchange.route) {
    case Route::Polish:
        co_return co_await m_polish.polish(userId, exchange.body);
    case Route::Interactions:
        co_return co_await m_polish.logInteraction(userId, exchange.argument, exchange.body);
    case Route::Presets:
        if (method == "GET") {
            co_return co_await m_presets.list(userId);
        }
        co_return co_await m_presets.create(userId, exchange.body);
    case Route::Preset:
        if (method == "PUT") {
            co_return co_await m_presets.update(userId, exchange.argument, exchange.body);
        }
        co_return co_await m_presets.remove(userId, exchange.argument);
    default:
        throw ApiError(404, QStringLiteral("There is no such endpoint."));
    }
}

QCoro::Task<qint64> ApiServer::authenticate(const Exchange& exchange)
{
    if (m_settings.mode == AuthMode::Local) {
        co_return m_settings.localUserId;
    }
    const QByteArray token = bearerTokenOf(exchange.authorization);
    if (token.isEmpty()) {
        throw ApiError(401, QStringLiteral("A bearer access token is required."));
    }
    const std::optional<qint64> userId = co_await m_tokens.authenticate(QString::fromLatin1(token));
    if (!userId) {
        throw ApiError(401, QStringLiteral("The access token is not valid or has expired."));
    }
    co_return *userId;
}

QString ApiServer::routeName(Route route)
{
    switch (route) {
    case Route::Missing:
        return QStringLiteral("missing");
    case Route::Health:
        return QStringLiteral("health");
    case Route::Refresh:
        return QStringLiteral("refresh");
    case Route::Polish:
        return QStringLiteral("polish");
    case Route::Interactions:
        return QStringLiteral("interactions");
    case Route::Presets:
        return QStringLiteral("presets");
    case Route::Preset:
        return QStringLiteral("preset");
    case Route::Metrics:
        return QStringLiteral("metrics");
    }
    return QStringLiteral("missing");
}

QCoro::Task<ApiResponse> ApiServer::health()
{
    // Ready only while the database answers: a balancer then sends requests elsewhere.
    const bool databaseUp = co_await m_pool.answers(kHealthTimeoutSeconds);
    co_return ApiResponse::json(
        databaseUp ? 200 : 503,
        QJsonObject{
            {QStringLiteral("status"), databaseUp ? QStringLiteral("ok") : QStringLiteral("unavailable")},
            {QStringLiteral("database"), databaseUp ? QStringLiteral("ok") : QStringLiteral("unreachable")},
            {QStringLiteral("mode"),
             m_settings.mode == AuthMode::Local ? QStringLiteral("local") : QStringLiteral("token")},
            {QStringLiteral("model"), m_engine.model()},
        });
}

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
    case 405:
        return "Method Not Allowed";
    case 409:
        return "Conflict";
    case 413:
        return "Payload Too Large";
    case 422:
        return "Unprocessable Entity";
    case 429:
        return "Too Many Requests";
    case 502:
        return "Bad Gateway";
    case 503:
        return "Service Unavailable";
    default:
        return status >= 500 ? "Internal Server Error" : "Error";
    }
}

} // namespace

QByteArray ApiServer::serialise(const ApiResponse& response, bool closing) const
{
    QByteArray bytes = "HTTP/1.1 " + QByteArray::number(response.status) + ' ' + reasonPhrase(response.status) + "\r\n";
    const auto header = [&bytes](const QByteArray& name, const QByteArray& value) {
        bytes += name + ": " + value + "\r\n";
    };
    if (!response.body.isEmpty()) {
        header("Content-Type", response.contentType.isEmpty() ? QByteArray("application/json") : response.contentType);
    }
    // A 204 has no body, and so no length either.
    if (response.status != 204) {
        header("Content-Length", QByteArray::number(response.body.size()));
    }
    header("Cache-Control", "no-store");
    if (!m_settings.latestVersion.isEmpty()) {
        header("X-Latest-App-Version", m_settings.latestVersion.toUtf8());
        header("X-Latest-App-URL", m_settings.latestUrl.toUtf8());
    }
    if (response.status == 401) {
        header("WWW-Authenticate", "Bearer");
    }
    if (!response.allow.isEmpty()) {
        header("Allow", response.allow);
    }
    if (response.retryAfter > 0) {
        header("Retry-After", QByteArray::number(response.retryAfter));
    }
    if (closing) {
        header("Connection", "close");
    }
    return bytes + "\r\n" + response.body;
}

void ApiServer::send(Exchange& exchange, const ApiResponse& response)
{
    // The answer is written by the connection's watcher rather than the responder, because it
    // must reach a client that has already shut down its sending side, and end the connection
    // when the client asked for that.
    if (exchange.connection) {
        exchange.connection->answer(exchange.ticket,
                                    serialise(response, exchange.connection->closesAfterAnswer(exchange.ticket)));
    }
    const double seconds = static_cast<double>(exchange.timer.nsecsElapsed()) / 1e9;
    m_metrics.recordRequest(routeName(exchange.route), response.status, seconds);
    m_log.request(exchange.method, exchange.path, response.status, seconds * 1000.0, response.body.size());
    if (--m_pending == 0) {
        Q_EMIT drained();
    }
}

} // namespace quillora
