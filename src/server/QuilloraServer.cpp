#include "server/QuilloraServer.h"

#include "core/Detached.h"
#include "server/ServerError.h"
#include "server/api/ApiServer.h"
#include "server/api/TokenService.h"
#include "server/engines/FallbackEngine.h"
#include "server/engines/OpenAiEngine.h"
#include "server/engines/RulesEngine.h"
#include "server/store/DatabaseAddress.h"
#include "server/store/Store.h"
#include "server/store/StorePool.h"

#include <QFile>
#include <QMetaObject>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslSocket>

namespace quillora {

namespace {

constexpr double kPurgeIntervalSeconds = 3600;

std::unique_ptr<StorePool> createPool(const ServerOptions& options, Clock& clock)
{
    const DatabaseAddress address = DatabaseAddress::parse(options.database);
    const bool sqlite = address.kind == DatabaseAddress::Kind::Sqlite;
    const int connections = options.databaseConnections > 0 ? options.databaseConnections : (sqlite ? 1 : 4);
    return std::make_unique<StorePool>(address, connections, clock);
}

std::unique_ptr<RewriteEngine> createEngine(const ServerOptions& options, Clock& clock, ServiceLog& log,
                                            RulesResources rules)
{
    const auto rulesEngine = [&] {
        if (!rules.dictionary || !rules.lexicon) {
            rules = RulesResources::load(options.dictionaryPaths, options.rulesDataPath, options.wordnetPath);
        }
        return std::make_unique<RulesEngine>(rules, options.engineThreads);
    };
    if (options.engine == EngineKind::OpenAi) {
        auto openAi = std::make_unique<OpenAiEngine>(options.openAi, clock, options.upstreamBudget,
                                                     options.upstreamConcurrency, log);
        if (!options.fallback) {
            return openAi;
        }
        return std::make_unique<FallbackEngine>(std::move(openAi), rulesEngine());
    }
    return rulesEngine();
}

// The certificate chain and key of --tls-cert and --tls-key, for a TLS 1.2 or newer server.
QSslConfiguration tlsConfiguration(const ServerOptions& options)
{
    const QList<QSslCertificate> chain = QSslCertificate::fromPath(options.tlsCertificate, QSsl::Pem);
    if (chain.isEmpty()) {
        throw ServerError(
            ServerError::Kind::InvalidOption,
            QStringLiteral("--tls-cert: no PEM certificate could be read from %1").arg(options.tlsCertificate));
    }
    QFile keyFile(options.tlsKey);
    if (!keyFile.open(QIODevice::ReadOnly)) {
        throw ServerError(ServerError::Kind::InvalidOption,
                          QStringLiteral("--tls-key: cannot read %1: %2").arg(options.tlsKey, keyFile.errorString()));
    }
    const QByteArray pem = keyFile.readAll();
    QSslKey key;
    for (const QSsl::KeyAlgorithm algorithm : {QSsl::Rsa, QSsl::Ec, QSsl::Dsa}) {
        key = key.isNull() ? QSslKey(pem, algorithm, QSsl::Pem) : key;
    }
    if (key.isNull()) {
        throw ServerError(ServerError::Kind::InvalidOption,
                          QStringLiteral("--tls-key: %1 holds no unencrypted PEM private key").arg(options.tlsKey));
    }
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setLocalCertificateChain(chain);
    configuration.setPrivateKey(key);
    configuration.setPeerVerifyMode(QSslSocket::VerifyNone);
    configuration.setProtocol(QSsl::TlsV1_2OrLater);
    return configuration;
}

} // namespace

QuilloraServer::QuilloraServer(const ServerOptions& options, Clock& clock, ServiceLog::Sink logSink,
                               RulesResources rules, QObject* parent)
    : QObject(parent)
    , m_options(options)
    , m_clock(clock)
    , m_log(clock, std::move(logSink))
    , m_pool(createPool(options, clock))
    , m_tokens(std::make_unique<TokenService>(*m_pool, clock, TokenLifetimes{options.accessTtl, options.refreshTtl}))
    , m_engine(createEngine(options, clock, m_log, std::move(rules)))
{
    ApiServer::Settings settings;
    settings.mode = options.mode;
    settings.latestVersion = options.latestVersion;
    settings.latestUrl = options.latestUrl;
    settings.limits = options.limits;
    settings.maxPresets = options.maxPresets;
    settings.maxAnswerBytes = options.maxAnswerBytes;
    settings.dailyPolishLimit = options.dailyPolishLimit;
    settings.upstreamConcurrency = options.upstreamConcurrency;
    settings.upstreamQueueTimeout = options.upstreamQueueTimeout;
    if (!options.tlsCertificate.isEmpty()) {
        settings.tls = tlsConfiguration(options);
    }
    if (options.mode == AuthMode::Local) {
        const qint64 now = clock.wallNow().toSecsSinceEpoch();
        settings.localUserId =
            m_pool->runBlocking([now](Store& store) { return store.ensureUser(QStringLiteral("local"), now); });
    }
    m_api = std::make_unique<ApiServer>(*m_pool, *m_tokens, *m_engine, clock, m_log, settings);
    connect(m_api.get(), &ApiServer::drained, this, [this] {
        if (m_stopping) {
            Q_EMIT stopped();
        }
    });
    runDetached(purge());
    schedulePurge();
}

QuilloraServer::~QuilloraServer()
{
    m_purgeTimer.invalidate();
    // The database connections go first: they finish their queued work and resume the requests
    // waiting for it, which still find the engine (a health check names its model) and, the
    // connections being closed, start no rewriting. Then the engine goes, answering a polishing
    // still waiting for it while the HTTP server is there to send the answer; then that server.
    m_pool->close();
    m_engine.reset();
    m_api.reset();
}

void QuilloraServer::schedulePurge()
{
    m_purgeTimer = m_clock.schedule(kPurgeIntervalSeconds, [this] {
        runDetached(purge());
        schedulePurge();
    });
}

QCoro::Task<> QuilloraServer::purge()
{
    try {
        co_await m_tokens->purgeExpired();
    } catch (const Error& error) {
        m_log.error(QStringLiteral("purging expired tokens failed: %1").arg(error.localizedDescription()));
    }
}

quint16 QuilloraServer::listen()
{
    m_port = m_api->listen(m_options.listenHost, m_options.listenPort);
    return m_port;
}

QUrl QuilloraServer::origin() const
{
    QUrl url;
    url.setScheme(m_options.tlsCertificate.isEmpty() ? QStringLiteral("http") : QStringLiteral("https"));
    url.setHost(m_options.listenHost.toString());
    url.setPort(m_port);
    return url;
}

void QuilloraServer::stop()
{
    if (m_stopping) {
        return;
    }
    m_stopping = true;
    m_purgeTimer.invalidate();
    m_api->stopListening();
    if (m_api->pendingRequests() == 0) {
        QMetaObject::invokeMethod(this, &QuilloraServer::stopped, Qt::QueuedConnection);
    }
}

} // namespace quillora
