// Connections as clients really hold them: slow and trickling requests, idle keep-alive, limits
// per address and in total, half-closed senders and clients that ask for the connection to end.
// Deadlines run on the virtual clock; bytes travel over real loopback sockets.
#include "ServerTest.h"

#include "core/SimClock.h"
#include "server/api/ApiServer.h"
#include "server/http/GuardedTcpServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace quillora {
namespace {

using test::spinUntil;
using test::TestServer;

constexpr double kHeaderTimeout = 5;
constexpr double kBodyTimeout = 5;
constexpr double kBodyMinRate = 100;
constexpr double kIdleTimeout = 20;

/** A client that speaks raw HTTP over a loopback socket. */
class RawClient final
{
public:
    explicit RawClient(quint16 port)
    {
        m_socket.connectToHost(QHostAddress::LocalHost, port);
        // A refused connection may be closed again before this side has seen it connect.
        spinUntil([this] {
            return m_socket.state() == QAbstractSocket::ConnectedState ||
                   m_socket.state() == QAbstractSocket::UnconnectedState;
        });
    }

    void send(const QByteArray& bytes)
    {
        m_socket.write(bytes);
        spinUntil([this] { return m_socket.bytesToWrite() == 0; });
        settle();
    }

    /** Shuts down the sending side only, as many clients do after a complete request. */
    void halfClose() { ::shutdown(static_cast<int>(m_socket.socketDescriptor()), SHUT_WR); }

    /** Everything received once `text` has arrived (or 10 s have passed). */
    QByteArray waitFor(const QByteArray& text)
    {
        spinUntil([this, &text] { return read().contains(text); });
        return m_received;
    }

    bool waitClosed()
    {
        return spinUntil([this] {
            read();
            return m_socket.state() == QAbstractSocket::UnconnectedState;
        });
    }

    [[nodiscard]] bool isOpen() const { return m_socket.state() == QAbstractSocket::ConnectedState; }
    const QByteArray& read()
    {
        m_received += m_socket.readAll();
        return m_received;
    }

    /** Lets both sides handle what is in flight on the loopback, without waiting for anything. */
    static void settle()
    {
        for (int i = 0; i < 20; ++i) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
        }
    }

private:
    QTcpSocket m_socket;
    QByteArray m_received;
};

QByteArray healthRequest(const QByteArray& version = "HTTP/1.1", const QByteArray& extraHeaders = {})
{
    return "GET /api/v1/health " + version + "\r\nHost: 127.0.0.1\r\n" + extraHeaders + "\r\n";
}

/** A request adding a preset; `announced` is the Content-Length header, by default the body's size. */
QByteArray presetRequest(const QByteArray& body, qsizetype announced = -1)
{
    return "POST /api/v1/presets HTTP/1.1\r\nHost: x\r\nContent-Type: application/json\r\nContent-Length: " +
           QByteArray::number(announced < 0 ? body.size() : announced) + "\r\n\r\n" + body;
}

class GuardedTcpServerTest : public test::ServerTest
{
protected:
    void SetUp() override
    {
        ServerTest::SetUp();
        ServerOptions options = TestServer::defaultOptions();
        options.limits.headerTimeout = kHeaderTimeout;
        options.limits.bodyTimeout = kBodyTimeout;
        options.limits.bodyMinRate = kBodyMinRate;
        options.limits.idleTimeout = kIdleTimeout;
        options.limits.maxConnections = 4;
        options.limits.maxConnectionsPerClient = 3;
        startServer(options);
    }
};

TEST_F(GuardedTcpServerTest, SlowRequestsAreAnswered408AndIdleConnectionsClosedWhenTheirTimeRunsOut)
{
    const QByteArray bodyHead = "POST /api/v1/presets HTTP/1.1\r\nHost: x\r\nContent-Type: application/json\r\n";
    struct Case
    {
        const char* what;
        QByteArray sent;
        /** Virtual seconds that still keep the connection, and those that end it. */
        double kept;
        double ended;
        QByteArray expected;
    };
    const QList<Case> cases = {
        {"no byte at all", {}, kHeaderTimeout - 1, 2, "408"},
        {"headers never finished", "GET /api/v1/health HTTP/1.1\r\nHost: x\r\n", kHeaderTimeout - 1, 2, "408"},
        {"100 MiB announced, 10 bytes sent", presetRequest("0123456789", 104857600),
         kBodyTimeout + 10 / kBodyMinRate - 0.5, 1, "408"},
        {"chunked body that stalls", bodyHead + "Transfer-Encoding: chunked\r\n\r\n5\r\nabcde\r\n", kBodyTimeout - 0.5,
         1, "408"},
        {"idle after an answer", healthRequest(), kIdleTimeout - 1, 2, "200 OK"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RawClient client(server().port());
        client.send(c.sent);
        // The idle time counts from the answer, which comes back from the database's thread.
        if (c.expected == "200 OK") {
            client.waitFor(c.expected);
        }
        advance(c.kept);
        RawClient::settle();
        EXPECT_TRUE(client.isOpen());
        advance(c.ended);
        EXPECT_TRUE(client.waitClosed());
        EXPECT_TRUE(client.read().contains(c.expected)) << client.read().toStdString();
    }
}

TEST_F(GuardedTcpServerTest, ABodyArrivingAtTheMinimumRateIsServed)
{
    RawClient client(server().port());
    const QByteArray body = R"({"name":"Slow","instruction":"Write slowly and with care."})";
    client.send(presetRequest(body).chopped(body.size() - 10));
    advance(kBodyTimeout - 1);
    client.send(body.mid(10, 10));
    advance(1.1);
    client.send(body.mid(20));
    EXPECT_TRUE(client.waitFor("\r\n\r\n").startsWith("HTTP/1.1 201")) << client.read().toStdString();
}

TEST_F(GuardedTcpServerTest, ConnectionsBeyondTheLimitsAreRefused503AndTheOthersStillServed)
{
    std::vector<std::unique_ptr<RawClient>> held;
    for (int i = 0; i < 3; ++i) {
        held.push_back(std::make_unique<RawClient>(server().port()));
    }
    ASSERT_TRUE(spinUntil([this] { return server().server().api().openConnections() == 3; }));
    // Three from one address is the limit per client.
    RawClient refused(server().port());
    EXPECT_TRUE(refused.waitClosed());
    EXPECT_TRUE(refused.read().startsWith("HTTP/1.1 503")) << refused.read().toStdString();

    // Closing one makes room again, and the held ones are still served.
    held.pop_back();
    ASSERT_TRUE(spinUntil([this] { return server().server().api().openConnections() == 2; }));
    RawClient admitted(server().port());
    admitted.send(healthRequest());
    EXPECT_TRUE(admitted.waitFor("\r\n\r\n").startsWith("HTTP/1.1 200"));
    held.front()->send(healthRequest());
    EXPECT_TRUE(held.front()->waitFor("\r\n\r\n").startsWith("HTTP/1.1 200"));
}

TEST_F(GuardedTcpServerTest, ACompleteRequestIsAnsweredAfterTheClientHalfCloses)
{
    const QByteArray body = R"({"name":"Half","instruction":"Keep it short."})";
    for (const QByteArray& request : {healthRequest(), presetRequest(body)}) {
        SCOPED_TRACE(request.left(30).toStdString());
        RawClient client(server().port());
        client.send(request);
        client.halfClose();
        EXPECT_TRUE(client.waitClosed());
        EXPECT_TRUE(client.read().startsWith("HTTP/1.1 20")) << client.read().toStdString();
    }
    // Exactly one preset was added: a retrying client has no reason to send it again.
    EXPECT_EQ(client().get(QStringLiteral("/presets")).json().array().size(), 5);
}

TEST_F(GuardedTcpServerTest, TheConnectionEndsAfterTheAnswerWhenTheClientAsksForIt)
{
    struct Case
    {
        QByteArray request;
        bool closed;
    };
    const QList<Case> cases = {
        {healthRequest("HTTP/1.0"), true},
        {healthRequest("HTTP/1.0", "Connection: keep-alive\r\n"), false},
        {healthRequest("HTTP/1.1"), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.request.toStdString());
        RawClient client(server().port());
        client.send(c.request);
        const QByteArray answer = client.waitFor("\"status\"");
        EXPECT_TRUE(answer.startsWith("HTTP/1.1 200"));
        EXPECT_EQ(answer.contains("Connection: close"), c.closed);
        if (c.closed) {
            EXPECT_TRUE(client.waitClosed());
        } else {
            RawClient::settle();
            EXPECT_TRUE(client.isOpen());
        }
    }
}

TEST_F(GuardedTcpServerTest, PipelinedRequestsAreAnsweredInOrderAndALaterCloseEndsTheConnection)
{
    const QByteArray body = R"({"name":"Piped","instruction":"Keep it short."})";
    RawClient client(server().port());
    client.send(healthRequest() + presetRequest(body) + healthRequest("HTTP/1.1", "Connection: close\r\n"));
    EXPECT_TRUE(client.waitClosed());
    const QByteArray answers = client.read();
    const QList<QByteArray> statusLines = {"HTTP/1.1 200", "HTTP/1.1 201", "HTTP/1.1 200"};
    qsizetype from = 0;
    for (const QByteArray& status : statusLines) {
        const qsizetype at = answers.indexOf(status, from);
        ASSERT_GE(at, 0) << status.toStdString() << " in " << answers.toStdString();
        from = at + status.size();
    }
    EXPECT_EQ(answers.count("Connection: close"), 1) << answers.toStdString();
    EXPECT_GT(answers.indexOf("Connection: close"), answers.indexOf("HTTP/1.1 201"));

    // After a chunked body the connection ends with its answer, telling the client to send the
    // rest again on a new connection, rather than leaving what followed unanswered.
    RawClient chunked(server().port());
    const QByteArray chunkedBody = R"({"name":"Chunked","instruction":"Keep it short."})";
    chunked.send("POST /api/v1/presets HTTP/1.1\r\nHost: x\r\nContent-Type: application/json\r\n"
                 "Transfer-Encoding: chunked\r\n\r\n" +
                 QByteArray::number(chunkedBody.size(), 16) + "\r\n" + chunkedBody + "\r\n0\r\n\r\n" + healthRequest());
    EXPECT_TRUE(chunked.waitClosed());
    const QByteArray chunkedAnswers = chunked.read();
    EXPECT_TRUE(chunkedAnswers.startsWith("HTTP/1.1 201")) << chunkedAnswers.toStdString();
    EXPECT_TRUE(chunkedAnswers.contains("Connection: close")) << chunkedAnswers.toStdString();
}

TEST(GuardedTcpServerBurstTest, AHealthCheckIsSetUpAheadOfABurstOfConnectionsAndNoneIsLost)
{
    SimClock clock;
    ConnectionLimits limits;
    limits.maxConnections = 1000;
    limits.maxConnectionsPerClient = 1000;
    GuardedTcpServer server(limits, clock, [](ConnectionRefusal, qint64) {});
    server.setMaxPendingConnections(1000);
    server.setUrgentRequests({"GET /api/v1/health "});
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));

    // Plain blocking sockets: each is connected and its request sent before the server runs.
    const auto connectAndSend = [&server](const QByteArray& request) {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(server.serverPort());
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        EXPECT_EQ(::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(::send(fd, request.constData(), request.size(), 0), request.size());
        sockaddr_in local{};
        socklen_t length = sizeof local;
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length);
        return std::pair{fd, ntohs(local.sin_port)};
    };
    constexpr int kBurst = 200;
    std::vector<int> descriptors;
    for (int i = 0; i < kBurst; ++i) {
        descriptors.push_back(connectAndSend("GET /api/v1/presets HTTP/1.1\r\nHost: x\r\n\r\n").first);
    }
    const auto [healthDescriptor, healthPort] = connectAndSend(healthRequest());
    descriptors.push_back(healthDescriptor);

    // The pass that accepts the burst sets up one batch and the health check behind it.
    for (int pass = 0; pass < 100 && !server.hasPendingConnections(); ++pass) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    std::vector<quint16> firstPass;
    while (QTcpSocket* socket = server.nextPendingConnection()) {
        firstPass.push_back(socket->peerPort());
    }
    EXPECT_LT(firstPass.size(), static_cast<std::size_t>(kBurst));
    EXPECT_NE(std::find(firstPass.begin(), firstPass.end(), healthPort), firstPass.end());

    // The others follow in later passes, every one of them.
    std::size_t setUp = firstPass.size();
    EXPECT_TRUE(spinUntil([&server, &setUp] {
        while (server.nextPendingConnection() != nullptr) {
            ++setUp;
        }
        return setUp == kBurst + 1;
    })) << setUp;
    EXPECT_EQ(server.openConnections(), kBurst + 1);
    for (const int fd : descriptors) {
        ::close(fd);
    }
}

/** Connects `secure` to the TLS service at `port`, trusting `certificate` alone. */
void connectSecurely(QSslSocket& secure, const QString& certificate, quint16 port)
{
    QSslConfiguration trust = secure.sslConfiguration();
    trust.setCaCertificates(QSslCertificate::fromPath(certificate));
    secure.setSslConfiguration(trust);
    secure.setPeerVerifyName(QStringLiteral("127.0.0.1"));
    QList<QSslError> errors;
    QObject::connect(&secure, &QSslSocket::sslErrors, [&errors](const QList<QSslError>& seen) { errors = seen; });
    secure.connectToHostEncrypted(QStringLiteral("127.0.0.1"), port);
    EXPECT_TRUE(spinUntil([&secure] { return secure.isEncrypted(); })) << secure.errorString().toStdString();
    EXPECT_TRUE(errors.isEmpty());
}

/** What `secure` has received once `text` has arrived. */
QByteArray readUntil(QSslSocket& secure, const QByteArray& text)
{
    QByteArray answer;
    EXPECT_TRUE(spinUntil([&] {
        answer += secure.readAll();
        return answer.contains(text);
    }));
    return answer;
}

/** Whether a health check over TLS is answered 200. */
bool healthyOverTls(const QString& certificate, quint16 port)
{
    QSslSocket secure;
    connectSecurely(secure, certificate, port);
    secure.write(healthRequest("HTTP/1.1", "Connection: close\r\n"));
    return readUntil(secure, "\"status\"").startsWith("HTTP/1.1 200");
}

/** The descriptors the test process has open, the service's among them. */
qsizetype openDescriptors()
{
    return QDir(QStringLiteral("/proc/self/fd"))
        .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
        .size();
}

TEST(TlsServerTest, WithACertificateTheServiceSpeaksHttpsOnlyAndAnswersAHalfClosedClient)
{
    SimClock clock;
    QTemporaryDir folder;
    const auto made = test::makeTestCertificate(folder.path());
    if (!made) {
        GTEST_SKIP() << "openssl could not make a test certificate";
    }
    const QString& certificate = made->certificate;
    ServerOptions options = TestServer::defaultOptions();
    options.tlsCertificate = certificate;
    options.tlsKey = made->key;
    TestServer server(clock, options);
    EXPECT_EQ(server.server().origin().scheme(), QStringLiteral("https"));
    EXPECT_TRUE(healthyOverTls(certificate, server.port()));

    // A client that shuts down its sending side after a complete request is answered, and the
    // connection then ends without waiting for the idle time-out.
    QSslSocket halfClosed;
    connectSecurely(halfClosed, certificate, server.port());
    halfClosed.write(presetRequest(R"({"name":"Over TLS","instruction":"Be brief."})"));
    ASSERT_TRUE(
        spinUntil([&halfClosed] { return halfClosed.bytesToWrite() == 0 && halfClosed.encryptedBytesToWrite() == 0; }));
    ::shutdown(static_cast<int>(halfClosed.socketDescriptor()), SHUT_WR);
    EXPECT_TRUE(readUntil(halfClosed, "Over TLS").startsWith("HTTP/1.1 201"));
    EXPECT_TRUE(spinUntil([&halfClosed] { return halfClosed.state() == QAbstractSocket::UnconnectedState; }));

    // Plain HTTP on the same port gets no HTTP answer.
    RawClient plain(server.port());
    plain.send(healthRequest());
    plain.waitClosed();
    EXPECT_FALSE(plain.read().startsWith("HTTP/"));
}

TEST(TlsServerTest, ConnectionsThatNeverCompleteTheHandshakeAreLimitedTimedOutAndClosedWithTheClient)
{
    SimClock clock;
    QTemporaryDir folder;
    const auto made = test::makeTestCertificate(folder.path());
    if (!made) {
        GTEST_SKIP() << "openssl could not make a test certificate";
    }
    constexpr int kLimit = 4;
    ServerOptions options = TestServer::defaultOptions();
    options.tlsCertificate = made->certificate;
    options.tlsKey = made->key;
    options.limits.headerTimeout = kHeaderTimeout;
    options.limits.maxConnections = kLimit;
    TestServer server(clock, options);
    const auto open = [&server] { return server.server().api().openConnections(); };
    ASSERT_TRUE(healthyOverTls(made->certificate, server.port()));
    const qsizetype descriptors = openDescriptors();

    // Twice the limit, sending nothing or the start of a ClientHello: those over the limit are
    // closed at once, the others when their header time runs out, like silent plain clients.
    std::vector<std::unique_ptr<RawClient>> silent;
    for (int i = 0; i < 2 * kLimit; ++i) {
        silent.push_back(std::make_unique<RawClient>(server.port()));
        if (i % 2 == 0) {
            silent.back()->send(QByteArray::fromHex("1603010200"));
        }
    }
    for (int i = kLimit; i < 2 * kLimit; ++i) {
        EXPECT_TRUE(silent[i]->waitClosed()) << i;
    }
    EXPECT_EQ(open(), kLimit);
    clock.advance(kHeaderTimeout - 1);
    EXPECT_TRUE(silent.front()->isOpen());
    clock.advance(2);
    for (int i = 0; i < kLimit; ++i) {
        EXPECT_TRUE(silent[i]->waitClosed()) << i;
    }
    EXPECT_TRUE(spinUntil([&open] { return open() == 0; }));
    EXPECT_TRUE(healthyOverTls(made->certificate, server.port()));
    silent.clear();

    // Clients that give up before their time is out leave nothing behind either.
    for (int i = 0; i < 2; ++i) {
        silent.push_back(std::make_unique<RawClient>(server.port()));
        silent.back()->send(QByteArray::fromHex("1603010200"));
    }
    ASSERT_TRUE(spinUntil([&open] { return open() == 2; }));
    silent.clear();
    EXPECT_TRUE(spinUntil([&open] { return open() == 0; }));
    EXPECT_TRUE(spinUntil([descriptors] { return openDescriptors() == descriptors; })) << openDescriptors();
}

} // namespace
} // namespace quillora
