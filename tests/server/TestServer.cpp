#include "TestServer.h"

#include "core/Clock.h"
#include "rules/Lexicon.h"
#include "rules/SpellingDictionary.h"
#include "server/store/Store.h"
#include "server/store/StorePool.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>

namespace quillora::test {

TestServer::TestServer(Clock& clock, ServerOptions options)
    : m_log(std::make_shared<QStringList>())
    , m_clock(clock)
{
    options.listenHost = QHostAddress(QHostAddress::LocalHost);
    options.listenPort = 0;
    if (options.database.isEmpty()) {
        m_databasePath = m_folder.filePath(QStringLiteral("server.sqlite"));
        options.database = m_databasePath;
    }
    auto log = m_log;
    m_server = std::make_unique<QuilloraServer>(
        options, clock, [log](const QByteArray& line) { log->append(QString::fromUtf8(line)); }, sharedRules());
    m_port = m_server->listen();
}

TestServer::~TestServer() = default;

QList<TestServer::Interaction> TestServer::interactions() const
{
    QList<Interaction> rows;
    for (const QVariantList& row :
         query(QStringLiteral("SELECT polishing_id, action, preset_name FROM interactions ORDER BY id"))) {
        rows.append({row.at(0).toLongLong(), row.at(1).toString(), row.at(2).toString()});
    }
    return rows;
}

QList<QVariantList> TestServer::query(const QString& sql) const
{
    const QString connection = QStringLiteral("test-server-inspect");
    QList<QVariantList> rows;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(m_databasePath);
        if (db.open()) {
            QSqlQuery query(sql, db);
            while (query.next()) {
                QVariantList row;
                for (int i = 0; i < query.record().count(); ++i) {
                    row.append(query.value(i));
                }
                rows.append(row);
            }
        }
    }
    QSqlDatabase::removeDatabase(connection);
    return rows;
}

ServerOptions TestServer::defaultOptions()
{
    ServerOptions options;
    options.mode = AuthMode::Local;
    options.engine = EngineKind::Rules;
    return options;
}

ServerOptions TestServer::tokenOptions(qint64 accessTtl)
{
    ServerOptions options = defaultOptions();
    options.mode = AuthMode::Token;
    options.accessTtl = accessTtl;
    return options;
}

QUrl TestServer::origin() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(m_port));
}

QString TestServer::apiUrl() const
{
    return origin().toString() + QStringLiteral("/api/v1");
}

TokenPair TestServer::addUser(const QString& name)
{
    const qint64 now = m_clock.wallNow().toSecsSinceEpoch();
    const qint64 userId =
        m_server->pool().runBlocking([name, now](Store& store) { return store.createUser(name, now); });
    return m_server->tokens().issue(userId);
}

RulesResources TestServer::sharedRules()
{
    static const RulesResources rules = [] {
        const ServerOptions defaults;
        QStringList installed;
        for (const QString& path : defaults.dictionaryPaths) {
            if (QFileInfo::exists(path)) {
                installed.append(path);
            }
        }
        const auto lexicon = Lexicon::load(defaults.rulesDataPath, defaults.wordnetPath);
        if (!installed.isEmpty()) {
            return RulesResources{SpellingDictionary::load(installed), lexicon};
        }
        return RulesResources{
            SpellingDictionary::fromEntries({QStringLiteral("the"), QStringLiteral("meeting"), QStringLiteral("is"),
                                             QStringLiteral("on"), QStringLiteral("Monday")}),
            lexicon};
    }();
    return rules;
}

} // namespace quillora::test
