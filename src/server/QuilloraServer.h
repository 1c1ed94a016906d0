#pragma once

#include "server/ServerOptions.h"
#include "server/ServiceLog.h"
#include "server/engines/RulesEngine.h"

#include "core/Clock.h"

#include <QObject>
#include <QUrl>

#include <qcoro/qcorotask.h>

#include <memory>

namespace quillora {

class ApiServer;
class RewriteEngine;
class StorePool;
class TokenService;

/**
 * The whole backend service made from its options: the database connections, the token service,
 * the rewriting engine chosen at start-up and the HTTP server. In local mode the implicit user "local" is created
 * on first start. Expired tokens are purged at start-up and then every hour. Lives on the main
 * thread.
 */
class QuilloraServer final : public QObject
{
    Q_OBJECT

public:
    /**
     * Opens the store and makes the engine. The `rules` engine (also the fall-back of the `openai`
     * engine unless `--no-fallback`) uses `rules`, or loads what `options` names when it is empty. Times come
     * from `clock`; log lines go to `logSink`.
     * Throws `ServerError` when the database cannot be opened or a rules file cannot be read.
     */
    QuilloraServer(const ServerOptions& options, Clock& clock, ServiceLog::Sink logSink, RulesResources rules = {},
                   QObject* parent = nullptr);
    ~QuilloraServer() override;

    /** Starts serving and returns the bound port. Throws `ServerError` (Network), e.g. for a busy port. */
    quint16 listen();

    /** "http://HOST:PORT" (https with TLS) of the bound address, once listening. */
    [[nodiscard]] QUrl origin() const;

    /**
     * Stops accepting connections and emits `stopped` once every request received so far has been
     * answered (at once when none is pending).
     */
    void stop();

    [[nodiscard]] StorePool& pool() { return *m_pool; }
    [[nodiscard]] TokenService& tokens() { return *m_tokens; }
    [[nodiscard]] ApiServer& api() { return *m_api; }

Q_SIGNALS:
    /** The service has stopped; nothing is pending. */
    void stopped();

private:
    void schedulePurge();
    QCoro::Task<> purge();

    ServerOptions m_options;
    Clock& m_clock;
    ServiceLog m_log;
    std::unique_ptr<StorePool> m_pool;
    std::unique_ptr<TokenService> m_tokens;
    std::unique_ptr<RewriteEngine> m_engine;
    std::unique_ptr<ApiServer> m_api;
    quint16 m_port = 0;
    bool m_stopping = false;
    Timer m_purgeTimer;
};

} // namespace quillora
