#pragma once

#include "server/QuilloraServer.h"
#include "server/ServerOptions.h"
#include "server/api/TokenService.h"

#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>
#include <QVariantList>

#include <memory>

namespace quillora {
class Clock;
class SpellingDictionary;
} // namespace quillora

namespace quillora::test {

/**
 * A `quillora-server` running inside the test process on a free loopback port, with its own
 * SQLite file in a temporary folder and its log kept in memory. It answers while the test runs
 * the Qt event loop (for example through `HttpTestClient`). Use:
 *
 *     TestServer server(clock());                 // local mode, rules engine
 *     HttpTestClient client(server.apiUrl());      // or hand server.origin() to a BackendClient
 */
class TestServer final
{
public:
    /** Starts at once; `options` may set anything but the listening address (a free port is used). */
    explicit TestServer(Clock& clock, ServerOptions options = defaultOptions());
    ~TestServer();

    /** Local mode, rules engine, a fresh database, no update notice. */
    [[nodiscard]] static ServerOptions defaultOptions();

    /** Token mode with access tokens that expire `accessTtl` seconds after they are issued. */
    [[nodiscard]] static ServerOptions tokenOptions(qint64 accessTtl);

    /** "http://127.0.0.1:PORT": what a client is configured with. */
    [[nodiscard]] QUrl origin() const;
    /** origin() + "/api/v1". */
    [[nodiscard]] QString apiUrl() const;
    [[nodiscard]] quint16 port() const { return m_port; }

    /** The SQLite file, for tests that inspect the stored rows. */
    [[nodiscard]] QString databasePath() const { return m_databasePath; }

    /** One row of the interaction log. */
    struct Interaction
    {
        qint64 polishingId;
        QString action;
        QString presetName;
    };

    /** The interaction log as stored, oldest first (read from the SQLite file). */
    [[nodiscard]] QList<Interaction> interactions() const;

    /** The rows `sql` selects from the SQLite file, read through a connection of the caller's own. */
    [[nodiscard]] QList<QVariantList> query(const QString& sql) const;

    /** The log lines written so far. */
    [[nodiscard]] const QStringList& logLines() const { return *m_log; }

    /** Creates a user (token mode) and returns its first token pair. */
    TokenPair addUser(const QString& name);

    [[nodiscard]] QuilloraServer& server() { return *m_server; }

    /**
     * What the rules engine reads, shared by all test servers: the hunspell lists and WordNet when
     * installed (else a small built-in word list), and the tables of the source tree. Loaded once
     * per process.
     */
    [[nodiscard]] static RulesResources sharedRules();

private:
    QTemporaryDir m_folder;
    QString m_databasePath;
    std::shared_ptr<QStringList> m_log;
    std::unique_ptr<QuilloraServer> m_server;
    Clock& m_clock;
    quint16 m_port = 0;
};

} // namespace quillora::test
