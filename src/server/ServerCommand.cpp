#include "server/ServerCommand.h"

#include "core/Clock.h"
#include "server/QuilloraServer.h"
#include "server/ServerError.h"
#include "server/ServerOptions.h"
#include "server/TerminationSignals.h"
#include "server/api/TokenService.h"
#include "server/store/DatabaseAddress.h"
#include "server/store/Store.h"
#include "server/store/StorePool.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcessEnvironment>

#include <cstdio>
#include <cstdlib>

namespace quillora {

namespace {

void printLine(FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

int addUser(const ServerOptions& options, Clock& clock)
{
    StorePool pool(DatabaseAddress::parse(options.database), 1, clock);
    TokenService tokens(pool, clock, TokenLifetimes{options.accessTtl, options.refreshTtl});
    const qint64 now = clock.wallNow().toSecsSinceEpoch();
    const QString name = options.userName;
    const qint64 userId = pool.runBlocking([name, now](Store& store) { return store.createUser(name, now); });
    const TokenPair pair = tokens.issue(userId);
    const QJsonObject json{{QStringLiteral("access_token"), pair.accessToken},
                           {QStringLiteral("refresh_token"), pair.refreshToken}};
    printLine(stdout, QString::fromUtf8(QJsonDocument(json).toJson(QJsonDocument::Compact)));
    return 0;
}

int serve(const ServerOptions& options, Clock& clock)
{
    QuilloraServer server(options, clock, ServiceLog::standardError());
    TerminationSignals terminations;
    QObject::connect(&terminations, &TerminationSignals::received, &server, [&server](int, int count) {
        if (count == 1) {
            printLine(stderr, QStringLiteral("quillora-server: stopping after the requests in progress "
                                             "(send the signal again to stop at once)"));
            server.stop();
        } else {
            // Everything acknowledged is already committed, so leaving at once loses nothing.
            printLine(stderr, QStringLiteral("quillora-server: stopping at once"));
            std::_Exit(1);
        }
    });
    QObject::connect(&server, &QuilloraServer::stopped, QCoreApplication::instance(), &QCoreApplication::quit);
    server.listen();
    if (options.mode == AuthMode::Token && !options.listenHost.isLoopback() && options.tlsCertificate.isEmpty()) {
        printLine(stderr, QStringLiteral("quillora-server: warning: serving tokens without TLS on %1; they travel in "
                                         "clear unless a reverse proxy in front of the service encrypts them "
                                         "(or pass --tls-cert and --tls-key)")
                              .arg(options.listenText()));
    }
    printLine(stderr, QStringLiteral("quillora-server: serving %1/api/v1 (mode %2, engine %3, database %4)")
                          .arg(server.origin().toString(),
                               options.mode == AuthMode::Local ? QStringLiteral("local") : QStringLiteral("token"),
                               options.engine == EngineKind::Rules ? QStringLiteral("rules") : QStringLiteral("openai"),
                               server.pool().address().displayText()));
    return QCoreApplication::exec();
}

} // namespace

int ServerCommand::run(const QStringList& arguments, const QProcessEnvironment& environment, Clock& clock)
{
    // Answered before the options are read, so that a bad variable in the environment cannot hide it.
    const bool help = arguments.contains(QLatin1String("--help")) || arguments.contains(QLatin1String("-h"));
    if (arguments.contains(QLatin1String("--version")) && !help) {
        printLine(stdout, QStringLiteral("quillora-server %1").arg(QStringLiteral(QUILLORA_SERVER_VERSION)));
        return 0;
    }
    try {
        const ServerOptions options = ServerOptions::parse(arguments, environment);
        switch (options.command) {
        case ServerOptions::Command::Help:
            printLine(stdout, ServerOptions::usage());
            return 0;
        case ServerOptions::Command::AddUser:
            return addUser(options, clock);
        case ServerOptions::Command::Serve:
            return serve(options, clock);
        }
    } catch (const ServerError& error) {
        printLine(stderr, QStringLiteral("quillora-server: %1").arg(error.localizedDescription()));
        return error.kind() == ServerError::Kind::InvalidOption ? 2 : 1;
    } catch (const Error& error) {
        printLine(stderr, QStringLiteral("quillora-server: %1").arg(error.localizedDescription()));
        return 1;
    }
    return 1;
}

} // namespace quillora
