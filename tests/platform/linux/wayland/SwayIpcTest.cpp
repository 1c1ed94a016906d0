#include "core/SimClock.h"
#include "platform/linux/wayland/SwayIpcClient.h"
#include "platform/linux/wayland/SwayIpcFrame.h"
#include "support/EventLoopWait.h"

#include <gtest/gtest.h>

#include <QLocalServer>
#include <QLocalSocket>
#include <QTemporaryDir>

#include <cstring>

namespace quillora {
namespace {

using Status = SwayIpcFrame::Status;

TEST(SwayIpcTest, FramesSurviveARoundTripInAnyCutAndBadStartsAreRejectedEarly)
{
    const QByteArray payload = R"({"success":true})";
    const QByteArray message = SwayIpcFrame::encode(SwayIpcFrame::getTree, payload);
    ASSERT_EQ(message.size(), SwayIpcFrame::headerSize + payload.size());
    for (qsizetype cut = 0; cut < message.size(); ++cut) {
        EXPECT_EQ(SwayIpcFrame::decode(message.left(cut)).status, Status::Incomplete) << cut;
    }
    const SwayIpcFrame::Decoded whole = SwayIpcFrame::decode(message + SwayIpcFrame::encode(7, "next"));
    EXPECT_EQ(whole.status, Status::Complete);
    EXPECT_EQ(whole.type, SwayIpcFrame::getTree);
    EXPECT_EQ(whole.payload, payload);
    EXPECT_EQ(whole.consumed, message.size());

    const SwayIpcFrame::Decoded empty = SwayIpcFrame::decode(SwayIpcFrame::encode(SwayIpcFrame::getVersion, {}));
    EXPECT_EQ(empty.status, Status::Complete);
    EXPECT_TRUE(empty.payload.isEmpty());

    EXPECT_EQ(SwayIpcFrame::decode("i3-ipX").status, Status::Malformed);
    EXPECT_EQ(SwayIpcFrame::decode("{").status, Status::Malformed);
    QByteArray huge = SwayIpcFrame::encode(4, {});
    const quint32 tooLong = SwayIpcFrame::maxPayload + 1;
    std::memcpy(huge.data() + 6, &tooLong, sizeof(tooLong));
    EXPECT_EQ(SwayIpcFrame::decode(huge).status, Status::Malformed);
}

// A stand-in for sway's socket: answers each request with `reply` in pieces, or keeps silent.
class FakeSway
{
public:
    FakeSway()
    {
        EXPECT_TRUE(m_server.listen(m_folder.filePath(QStringLiteral("sway-ipc.sock"))));
        QObject::connect(&m_server, &QLocalServer::newConnection, &m_server, [this] {
            QLocalSocket* client = m_server.nextPendingConnection();
            m_received.clear();
            QObject::connect(client, &QLocalSocket::readyRead, client, [this, client] {
                m_received += client->readAll();
                const SwayIpcFrame::Decoded request = SwayIpcFrame::decode(m_received);
                if (request.status != Status::Complete || m_reply.isNull()) {
                    return;
                }
                // Two writes with a flush between: the client must join them.
                client->write(m_reply.left(5));
                client->flush();
                client->write(m_reply.mid(5));
            });
        });
    }

    QString path() const { return m_server.fullServerName(); }
    void answer(quint32 type, const QByteArray& payload) { m_reply = SwayIpcFrame::encode(type, payload); }
    void answerBytes(const QByteArray& bytes) { m_reply = bytes; }
    const QByteArray& received() const { return m_received; }

private:
    QTemporaryDir m_folder;
    QLocalServer m_server;
    QByteArray m_received;
    QByteArray m_reply;
};

std::shared_ptr<test::TaskOutcome<std::optional<QByteArray>>> ask(SwayIpcClient& client, quint32 type)
{
    return test::start(client.request(type, "payload"));
}

TEST(SwayIpcTest, TheReplyToTheRequestIsReturnedAndAnythingElseIsNone)
{
    SimClock clock;
    FakeSway sway;
    SwayIpcClient client(clock, sway.path());

    sway.answer(SwayIpcFrame::getTree, R"({"nodes":[]})");
    auto tree = ask(client, SwayIpcFrame::getTree);
    ASSERT_TRUE(test::waitUntil([&] { return tree->done(); }));
    EXPECT_EQ(tree->value(), std::optional<QByteArray>(R"({"nodes":[]})"));
    EXPECT_EQ(SwayIpcFrame::decode(sway.received()).payload, QByteArray("payload"));

    sway.answer(SwayIpcFrame::getVersion, "{}");
    auto wrongType = ask(client, SwayIpcFrame::getTree);
    ASSERT_TRUE(test::waitUntil([&] { return wrongType->done(); }));
    EXPECT_EQ(wrongType->value(), std::optional<std::optional<QByteArray>>(std::in_place, std::nullopt));

    sway.answerBytes("not the i3 protocol at all");
    auto garbage = ask(client, SwayIpcFrame::getTree);
    ASSERT_TRUE(test::waitUntil([&] { return garbage->done(); }));
    EXPECT_EQ(garbage->value(), std::optional<std::optional<QByteArray>>(std::in_place, std::nullopt));
}

TEST(SwayIpcTest, ASilentOrMissingSocketEndsInNoneOnTime)
{
    SimClock clock;
    FakeSway sway;
    SwayIpcClient client(clock, sway.path());
    auto silent = ask(client, SwayIpcFrame::getTree);
    ASSERT_TRUE(test::waitUntil([&] { return SwayIpcFrame::decode(sway.received()).status == Status::Complete; }));
    clock.advance(SwayIpcClient::timeoutSeconds * 0.9);
    EXPECT_FALSE(silent->done());
    clock.advance(SwayIpcClient::timeoutSeconds * 0.2);
    ASSERT_TRUE(silent->done());
    EXPECT_EQ(silent->value(), std::optional<std::optional<QByteArray>>(std::in_place, std::nullopt));
    EXPECT_EQ(clock.pendingTimers(), 0);

    SwayIpcClient nowhere(clock, sway.path() + QStringLiteral(".gone"));
    auto missing = ask(nowhere, SwayIpcFrame::getTree);
    EXPECT_TRUE(test::waitUntil([&] { return missing->done(); }));
    SwayIpcClient unset(clock, QString());
    EXPECT_TRUE(ask(unset, SwayIpcFrame::getTree)->done());
}

} // namespace
} // namespace quillora
