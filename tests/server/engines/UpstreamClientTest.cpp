// The service's HTTP/1.1 client for upstream calls, against servers scripted byte by byte.
#include "server/engines/UpstreamClient.h"

#include "HttpTestClient.h"

#include <QFile>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace quillora {
namespace {

/**
 * An upstream server run on loopback by the test; `answer` decides what each request gets, by
 * the connection it came on and its number on that connection (both from 0): bytes to write,
 * `kClose` after them (or alone) to close the connection, or `kHold` to keep it waiting.
 */
class ScriptedUpstream final
{
public:
    using Answer = std::function<QByteArray(int connection, int request)>;
    static inline const QByteArray kClose = "<close>";
    static inline const QByteArray kHold = "<hold>";

    /** Speaks HTTPS with `certificate` when one is given. */
    explicit ScriptedUpstream(Answer answer, const std::optional<test::TestCertificate>& certificate = std::nullopt)
        : m_answer(std::move(answer))
    {
        if (certificate) {
            auto secure = std::make_unique<QSslServer>();
            QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
            configuration.setLocalCertificate(QSslCertificate::fromPath(certificate->certificate).value(0));
            QFile key(certificate->key);
            key.open(QIODevice::ReadOnly);
            configuration.setPrivateKey(QSslKey(&key, QSsl::Ec));
            secure->setSslConfiguration(configuration);
            m_server = std::move(secure);
        } else {
            m_server = std::make_unique<QTcpServer>();
        }
        m_scheme = certificate ? QStringLiteral("https") : QStringLiteral("http");
        QObject::connect(m_server.get(), &QTcpServer::pendingConnectionAvailable, [this] { accept(); });
        m_server->listen(QHostAddress::LocalHost, 0);
    }

    [[nodiscard]] QUrl url() const
    {
        return QUrl(QStringLiteral("%1://127.0.0.1:%2/v1/chat").arg(m_scheme).arg(m_server->serverPort()));
    }

    /** Every request received in full, with its connection's number. */
    std::vector<std::pair<int, QByteArray>> requests;
    int connections = 0;

private:
    void accept()
    {
        while (QTcpSocket* socket = m_server->nextPendingConnection()) {
            const int number = connections++;
            auto buffer = std::make_shared<QByteArray>();
            auto served = std::make_shared<int>(0);
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, number, buffer, served] {
                buffer->append(socket->readAll());
                const qsizetype headEnd = buffer->indexOf("\r\n\r\n");
                const qsizetype length = buffer->indexOf("Content-Length: ");
                if (headEnd < 0 || length < 0) {
                    return;
                }
                const qsizetype total =
                    headEnd + 4 + buffer->mid(length + 16, headEnd - length - 16).split('\r').first().toLongLong();
                if (buffer->size() < total) {
                    return;
                }
                requests.emplace_back(number, buffer->left(total));
                buffer->remove(0, total);
                const QByteArray answer = m_answer(number, (*served)++);
                if (answer.endsWith(kClose)) {
                    socket->write(answer.chopped(kClose.size()));
                    socket->close();
                } else if (answer != kHold) {
                    socket->write(answer);
                }
            });
        }
    }

    Answer m_answer;
    std::unique_ptr<QTcpServer> m_server;
    QString m_scheme;
};

const QByteArray kOk = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok";

UpstreamReply postAndWait(UpstreamClient& client, const QUrl& url)
{
    const auto call = client.post({url, {{"Content-Type", "application/json"}}, R"({"a":1})"});
    EXPECT_TRUE(test::spinUntil([&call] { return call->finished().isSet(); }));
    return call->reply();
}

TEST(UpstreamClientTest, ConnectionsAreKeptBetweenRequestsAndAStaleOneIsRetriedOnce)
{
    // The second request on the first connection finds it closed by the server unanswered, as
    // when an idle time-out crosses the request; it goes again on a new connection.
    ScriptedUpstream upstream(
        [](int connection, int request) { return connection == 0 && request == 1 ? ScriptedUpstream::kClose : kOk; });
    UpstreamClient client(4);
    const UpstreamReply first = postAndWait(client, upstream.url());
    EXPECT_EQ(first.status, 200);
    EXPECT_EQ(first.body, "ok");
    const UpstreamReply second = postAndWait(client, upstream.url());
    EXPECT_EQ(second.status, 200) << second.error.toStdString();
    const UpstreamReply third = postAndWait(client, upstream.url());
    EXPECT_EQ(third.status, 200);
    EXPECT_EQ(upstream.connections, 2);
    ASSERT_EQ(upstream.requests.size(), 4U);
    EXPECT_EQ(upstream.requests[3].first, 1);
    EXPECT_TRUE(upstream.requests[0].second.startsWith("POST /v1/chat HTTP/1.1\r\nHost: 127.0.0.1:"));
    EXPECT_TRUE(
        upstream.requests[0].second.endsWith("Content-Type: application/json\r\nContent-Length: 7\r\n\r\n{\"a\":1}"));

    // A server that closes each connection after its answer: whether the client sees the close
    // while the connection is idle or only when it sends the next request, every request is
    // answered, and a closed connection is never used again.
    ScriptedUpstream oneShot([](int, int) { return kOk + ScriptedUpstream::kClose; });
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(postAndWait(client, oneShot.url()).status, 200);
    }

    // A new connection closed unanswered is not retried: the server may have acted on the POST.
    ScriptedUpstream closing([](int, int) { return ScriptedUpstream::kClose; });
    const UpstreamReply unanswered = postAndWait(client, closing.url());
    EXPECT_EQ(unanswered.status, 0);
    EXPECT_EQ(unanswered.error, QStringLiteral("the connection closed without an answer"));
    EXPECT_EQ(closing.requests.size(), 1U);
}

TEST(UpstreamClientTest, AbortedUnreachableAndUnsupportedRequestsFinishWithTheReason)
{
    ScriptedUpstream holding([](int, int) { return ScriptedUpstream::kHold; });
    UpstreamClient client(4);
    const auto held = client.post({holding.url(), {}, "{}"});
    ASSERT_TRUE(test::spinUntil([&holding] { return holding.requests.size() == 1; }));
    held->abort();
    ASSERT_TRUE(test::spinUntil([&held] { return held->finished().isSet(); }));
    EXPECT_TRUE(held->reply().aborted);

    QTcpServer closed;
    closed.listen(QHostAddress::LocalHost, 0);
    const quint16 port = closed.serverPort();
    closed.close();
    const UpstreamReply refused = postAndWait(client, QUrl(QStringLiteral("http://127.0.0.1:%1/v1").arg(port)));
    EXPECT_EQ(refused.status, 0);
    EXPECT_EQ(refused.error, QStringLiteral("Connection refused"));
    EXPECT_FALSE(postAndWait(client, QUrl(QStringLiteral("ftp://127.0.0.1/v1"))).error.isEmpty());
    const auto injected = client.post({holding.url(), {{"Authorization", "Bearer x\r\nX-Evil: 1"}}, "{}"});
    ASSERT_TRUE(test::spinUntil([&injected] { return injected->finished().isSet(); }));
    EXPECT_EQ(injected->reply().status, 0);
    EXPECT_EQ(holding.requests.size(), 1U);

    // Closing finishes what is still running, and nothing is sent afterwards.
    const auto running = client.post({holding.url(), {}, "{}"});
    ASSERT_TRUE(test::spinUntil([&holding] { return holding.requests.size() == 2; }));
    client.close();
    EXPECT_TRUE(running->finished().isSet());
    EXPECT_TRUE(running->reply().aborted);
    const auto late = client.post({holding.url(), {}, "{}"});
    EXPECT_TRUE(late->finished().isSet());
    late->abort();
}

TEST(UpstreamClientTest, HttpsIsVerifiedAgainstTheTrustedAuthorities)
{
    QTemporaryDir folder;
    const auto certificate = test::makeTestCertificate(folder.path());
    if (!certificate) {
        GTEST_SKIP() << "openssl could not make a test certificate";
    }
    ScriptedUpstream upstream([](int, int) { return kOk; }, certificate);
    UpstreamClient client(4);
    // Signed by nobody the system trusts: refused before anything is sent.
    const UpstreamReply untrusted = postAndWait(client, upstream.url());
    EXPECT_EQ(untrusted.status, 0);
    EXPECT_FALSE(untrusted.error.isEmpty());
    EXPECT_TRUE(upstream.requests.empty());

    const QSslConfiguration original = QSslConfiguration::defaultConfiguration();
    QSslConfiguration trusting = original;
    trusting.addCaCertificates(QSslCertificate::fromPath(certificate->certificate));
    QSslConfiguration::setDefaultConfiguration(trusting);
    const UpstreamReply trusted = postAndWait(client, upstream.url());
    QSslConfiguration::setDefaultConfiguration(original);
    EXPECT_EQ(trusted.status, 200) << trusted.error.toStdString();
    EXPECT_EQ(upstream.requests.size(), 1U);
}

} // namespace
} // namespace quillora
