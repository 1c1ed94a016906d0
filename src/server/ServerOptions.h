#pragma once

#include "server/http/ConnectionLimits.h"

#include <QHostAddress>
#include <QString>
#include <QStringList>
#include <QUrl>

class QProcessEnvironment;

namespace quillora {

/** Which rewriting engine answers "/polish". */
enum class EngineKind {
    /** The embedded, offline, deterministic rule-based engine. */
    Rules,
    /** An OpenAI-compatible chat-completions endpoint. */
    OpenAi,
};

/** How requests are tied to a user. */
enum class AuthMode {
    /** One implicit user; no token is needed. Only safe on a loopback address. */
    Local,
    /** Every request but the refresh carries a bearer access token. */
    Token,
};

/** Where the `openai` engine sends its requests. */
struct OpenAiSettings
{
    /** Base address; requests go to base + "/chat/completions". */
    QUrl baseUrl;
    QString model;
    /** Sent as a bearer token when not empty. */
    QString apiKey;
};

/**
 * Everything `quillora-server` is told on its command line or through its environment. Each
 * option has an environment variable; a command-line option wins over its variable.
 */
struct ServerOptions
{
    /**
     * Where the `rules` engine's tables are: installed beside the program
     * (`<prefix>/share/quillora-server/rules`), else in the source tree it was built from.
     */
    [[nodiscard]] static QString defaultRulesDataPath();

    enum class Command {
        /** Run the HTTP service. */
        Serve,
        /** "users add NAME": create a user and print its first token pair. */
        AddUser,
        /** Print the usage text. */
        Help,
    };

    Command command = Command::Serve;
    /** The user to create (AddUser). */
    QString userName;

    QHostAddress listenHost = QHostAddress(QHostAddress::LocalHost);
    /** 0 picks a free port. */
    quint16 listenPort = 8740;
    /** Database address; empty means the default SQLite file. */
    QString database;
    /**
     * Database connections, each serving one statement at a time in a thread of its own; 0 means
     * the database's default: 4 for PostgreSQL, 1 for SQLite, whose single connection keeps its
     * page cache warm (more let reads go on while a write waits for another process's lock).
     */
    int databaseConnections = 0;
    EngineKind engine = EngineKind::Rules;
    AuthMode mode = AuthMode::Local;
    /** Allows local mode on an address other hosts can reach. */
    bool forceLocal = false;

    /** Announced in "X-Latest-App-Version" and "X-Latest-App-URL" when both are set. */
    QString latestVersion;
    QString latestUrl;

    /** Lifetimes of new tokens, in seconds. */
    qint64 accessTtl = 3600;
    qint64 refreshTtl = 30 * 24 * 3600;

    /** Total time the `openai` engine may spend on one polishing, in seconds. */
    double upstreamBudget = 45;
    OpenAiSettings openAi;

    /** Hunspell word lists used by the `rules` engine; a word any of them knows is spelled right. */
    QStringList dictionaryPaths = {QStringLiteral("/usr/share/hunspell/en_US.dic"),
                                   QStringLiteral("/usr/share/hunspell/en_GB.dic")};
    /** The `rules` engine's tables (irregular verbs, misspellings, phrase tables). */
    QString rulesDataPath = defaultRulesDataPath();
    /** The WordNet database the `rules` engine reads parts of speech and irregular forms from. */
    QString wordnetPath = QStringLiteral("/usr/share/wordnet");
    /** With the `openai` engine: answer a failed preset with the `rules` engine's variation. */
    bool fallback = true;

    // Limits that keep one client or one user from holding the service: connections, time-outs
    // and the size of one user's work.
    ConnectionLimits limits;
    /** The most presets one user may have. */
    int maxPresets = 50;
    /** The largest polishing answer, in bytes. */
    qint64 maxAnswerBytes = 4 * 1024 * 1024;
    /** Polishings per user and UTC day, counted in the database; 0 for no limit. */
    int dailyPolishLimit = 0;
    /**
     * Upstream requests in flight at most (one per preset of a polishing). The default suits one
     * local model server, which answers a few requests at a time and queues the rest itself.
     */
    int upstreamConcurrency = 8;
    /** Seconds a polishing may wait for upstream slots before it is answered 503. */
    double upstreamQueueTimeout = 30;
    /** Threads of the rules engine; 0 for one per processor core. */
    int engineThreads = 0;
    /** PEM certificate chain and private key; when both are set the service speaks HTTPS. */
    QString tlsCertificate;
    QString tlsKey;

    /**
     * Reads `arguments` (without the program name) over `environment`. Throws `ServerError`
     * (InvalidOption) naming the offending option for an unknown option, a missing or malformed
     * value, an unknown command, or a combination that is refused (local mode on an address that
     * is not loopback without `--force-local`, one of the two update options without the other).
     */
    [[nodiscard]] static ServerOptions parse(const QStringList& arguments, const QProcessEnvironment& environment);

    /** The help text printed by `--help`. */
    [[nodiscard]] static QString usage();

    /** The listening address as "HOST:PORT" ("[HOST]:PORT" for IPv6). */
    [[nodiscard]] QString listenText() const;
};

} // namespace quillora
