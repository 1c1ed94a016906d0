#pragma once

#include "server/CompletionInbox.h"
#include "server/ServerOptions.h"
#include "server/ServiceMetrics.h"
#include "server/api/AuthApi.h"
#include "server/api/PolishApi.h"
#include "server/api/PresetApi.h"
#include "server/engines/UpstreamGate.h"
#include "server/http/ApiResponse.h"
#include "server/http/GuardedConnection.h"

#include <QHostAddress>
#include <QHttpServer>
#include <QObject>
#include <QSslConfiguration>

#include <qcoro/qcorotask.h>

#include <memory>
#include <optional>

class QHttpServerRequest;
class QHttpServerResponder;

namespace quillora {

class Clock;
class RewriteEngine;
class ServiceLog;
class StorePool;
class TokenService;

/**
 * The HTTP side of the service: the calls under "/api/v1", answered on the main thread. Every
 * answer but a 204 carries a JSON body ({"error": text} for failures); every answer carries the
 * update headers when configured and gives one access-log line. Requests are counted while they
 * are answered, so that a stop can wait for them.
 */
class GuardedTcpServer;

class ApiServer final : public QObject
{
    Q_OBJECT

public:
    /** What the server needs besides its collaborators. */
    struct Settings
    {
        AuthMode mode = AuthMode::Local;
        /** The implicit user of local mode. */
        qint64 localUserId = 0;
        QString latestVersion;
        QString latestUrl;
        ConnectionLimits limits;
        /** The most presets one user may have. */
        qsizetype maxPresets = 50;
        /** The largest polishing answer, in bytes. */
        qint64 maxAnswerBytes = 4 * 1024 * 1024;
        /** Polishings per user and UTC day; 0 for no limit. */
        int dailyPolishLimit = 0;
        /** Upstream requests in flight, and how long a polishing may wait for them. */
        int upstreamConcurrency = 8;
        double upstreamQueueTimeout = 30;
        /** Set to serve HTTPS. */
        std::optional<QSslConfiguration> tls;
    };

    ApiServer(StorePool& pool, TokenService& tokens, RewriteEngine& engine, Clock& clock, ServiceLog& log,
              Settings settings, QObject* parent = nullptr);
    ~ApiServer() override;

    /**
     * Starts accepting connections and returns the bound port (useful with port 0). Throws
     * `ServerError` (Network) with the system's reason, for example a port already in use.
     */
    quint16 listen(const QHostAddress& host, quint16 port);

    /** Stops accepting new connections; requests being answered still finish. */
    void stopListening();

    /** Connections open now. */
    [[nodiscard]] int openConnections() const;

    /** Requests received and not yet answered. */
    [[nodiscard]] int pendingRequests() const { return m_pending; }

Q_SIGNALS:
    /** The last pending request has been answered. */
    void drained();

private:
    enum class Route {
        Missing,
        Health,
        Refresh,
        Polish,
        Interactions,
        Presets,
        Preset,
        Metrics,
    };
    struct Exchange;

    static QList<QByteArray> allowedMethods(Route route);
    void addRoute(const QString& path, Route route);
    void accept(Route route, const QString& argument, const QHttpServerRequest& request,
                QHttpServerResponder&& responder);
    QCoro::Task<> run(std::shared_ptr<Exchange> exchange);
    QCoro::Task<ApiResponse> respond(const Exchange& exchange);
    QCoro::Task<qint64> authenticate(const Exchange& exchange);
    QCoro::Task<ApiResponse> health();
    static QString routeName(Route route);
    void send(Exchange& exchange, const ApiResponse& response);
    [[nodiscard]] QByteArray serialise(const ApiResponse& response, bool closing) const;

    StorePool& m_pool;
    TokenService& m_tokens;
    RewriteEngine& m_engine;
    ServiceLog& m_log;
    Clock& m_clock;
    Settings m_settings;
    ServiceMetrics m_metrics;
    UpstreamGate m_upstream;
    PresetApi m_presets;
    PolishApi m_polish;
    AuthApi m_auth;
    QHttpServer m_http;
    QList<GuardedTcpServer*> m_listeners;
    int m_pending = 0;
    /** Requests accepted and not yet started; dropped unstarted when the server goes. */
    CompletionInbox m_starts;
};

} // namespace quillora
