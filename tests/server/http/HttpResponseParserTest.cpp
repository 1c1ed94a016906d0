// Answers to upstream calls, read as their bytes arrive.
#include "server/http/HttpResponseParser.h"

#include <gtest/gtest.h>

namespace quillora {
namespace {

using State = HttpResponseParser::State;

/** Feeds `bytes` one at a time, as the slowest network would, then the end of the stream if asked. */
HttpResponseParser parseBytewise(const QByteArray& bytes, bool thenEnd = false, qint64 maxBody = 1000)
{
    HttpResponseParser parser(maxBody);
    for (char byte : bytes) {
        parser.feed(QByteArrayView(&byte, 1));
    }
    if (thenEnd) {
        parser.end();
    }
    return parser;
}

TEST(HttpResponseParserTest, EveryFramingYieldsTheBodyAndTheRightToReuseTheConnection)
{
    struct Case
    {
        const char* bytes;
        bool thenEnd;
        int status;
        QByteArray body;
        bool keepAlive;
    };
    const Case cases[] = {
        {"HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello", false, 200, "hello", true},
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3;ext=1\r\nhel\r\n2\r\nlo\r\n0\r\nX-Trailer: 1\r\n\r\n",
         false, 200, "hello", true},
        {"HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 503 Busy\r\ncontent-length: 2\r\nConnection: close\r\n\r\n{}", false,
         503, "{}", false},
        {"HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok", false, 200, "ok", false},
        {"HTTP/1.0 200 OK\r\nConnection: Keep-Alive\r\nContent-Length: 2\r\n\r\nok", false, 200, "ok", true},
        {"HTTP/1.1 204 No Content\r\n\r\n", false, 204, "", true},
        // Neither length nor chunks: the body is whatever comes until the server closes.
        {"HTTP/1.1 200 OK\r\n\r\nto the end", true, 200, "to the end", false},
        // More than was announced: the connection is out of step.
        {"HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nokHTTP", false, 200, "ok", false},
    };
    for (const Case& c : cases) {
        const HttpResponseParser parser = parseBytewise(c.bytes, c.thenEnd);
        ASSERT_EQ(parser.state(), State::Complete) << c.bytes << parser.failure().toStdString();
        EXPECT_EQ(parser.status(), c.status) << c.bytes;
        EXPECT_EQ(parser.body(), c.body) << c.bytes;
        EXPECT_EQ(parser.keepAlive(), c.keepAlive) << c.bytes;
    }
}

TEST(HttpResponseParserTest, MalformedTruncatedAndOversizeAnswersFail)
{
    const char* failing[] = {
        "SSH-2.0-OpenSSH\r\n\r\n",
        "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nContent-Length: 3\r\n\r\nok",
        "HTTP/1.1 200 OK\r\nContent-Length: -1\r\n\r\n",
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n",
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nhello\r\n",
        "HTTP/1.1 200 OK\r\nContent-Length: 1001\r\n\r\n",
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3e9\r\n",
    };
    for (const char* bytes : failing) {
        QByteArray all(bytes);
        // Oversize bodies must fail before they are held in full.
        all += QByteArray(1001, 'x');
        EXPECT_EQ(parseBytewise(all).state(), State::Failed) << bytes;
    }
    // A stream that ends early fails, whether or not any of the answer came.
    EXPECT_EQ(parseBytewise("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhel", true).state(), State::Failed);
    const HttpResponseParser silent = parseBytewise("", true);
    EXPECT_EQ(silent.state(), State::Failed);
    EXPECT_FALSE(silent.started());
}

} // namespace
} // namespace quillora
