#include "server/http/HttpResponseParser.h"

#include <QList>

#include <algorithm>
#include <limits>

namespace quillora {

namespace {

// A status line and header of an honest server fit many times over.
constexpr qsizetype kMaxHeadBytes = 64 * 1024;
constexpr qsizetype kMaxLineBytes = 8 * 1024;

bool isDigits(QByteArrayView text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

/** A decimal or hexadecimal count, or -1 when it is not one or does not fit. */
qint64 parseCount(QByteArrayView text, int base)
{
    if (text.isEmpty() || text.size() > 15) {
        return -1;
    }
    bool ok = false;
    const qint64 value = text.toLongLong(&ok, base);
    const bool onlyDigits = std::all_of(text.begin(), text.end(), [base](char c) {
        return (c >= '0' && c <= '9') || (base == 16 && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')));
    });
    return ok && onlyDigits && value >= 0 ? value : -1;
}

/** Whether the comma-separated header value holds `token`, ignoring case. */
bool listHolds(QByteArrayView value, QByteArrayView token)
{
    for (const QByteArray& part : value.toByteArray().split(',')) {
        if (part.trimmed().compare(token, Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}

} // namespace

HttpResponseParser::HttpResponseParser(qint64 maxBodyBytes)
    : m_maxBodyBytes(maxBodyBytes)
{
}

HttpResponseParser::State HttpResponseParser::feed(QByteArrayView bytes)
{
    if (m_state != State::Incomplete) {
        // Bytes after a complete answer: the server sent more than it was asked for, so the
        // connection cannot be trusted with another request.
        m_keepAlive = m_keepAlive && bytes.isEmpty();
        return m_state;
    }
    if (!bytes.isEmpty()) {
        m_started = true;
    }
    m_buffer.append(bytes.data(), bytes.size());
    run();
    return m_state;
}

HttpResponseParser::State HttpResponseParser::end()
{
    if (m_state != State::Incomplete) {
        return m_state;
    }
    if (m_phase == Phase::BodyToEnd) {
        complete();
    } else {
        fail(m_started ? QStringLiteral("the connection closed before the answer was complete")
                       : QStringLiteral("the connection closed without an answer"));
    }
    return m_state;
}

void HttpResponseParser::run()
{
    while (m_state == State::Incomplete) {
        const qint64 available = m_buffer.size() - m_consumed;
        bool progressed = false;
        switch (m_phase) {
        case Phase::Head:
            progressed = readHead();
            break;
        case Phase::FixedBody:
        case Phase::ChunkData: {
            const qint64 count = std::min(available, m_remaining);
            if (count > 0 || m_remaining == 0) {
                appendBody(count);
                if (m_state != State::Incomplete) {
                    return;
                }
                m_remaining -= count;
                progressed = true;
                if (m_remaining == 0) {
                    if (m_phase == Phase::FixedBody) {
                        complete();
                    } else {
                        m_phase = Phase::ChunkEnd;
                    }
                }
            }
            break;
        }
        case Phase::ChunkSize:
            progressed = readChunkSize();
            break;
        case Phase::ChunkEnd: {
            QByteArray line;
            progressed = takeLine(line);
            if (progressed) {
                if (!line.isEmpty()) {
                    fail(QStringLiteral("a chunk of the answer is longer than it announced"));
                }
                m_phase = Phase::ChunkSize;
            }
            break;
        }
        case Phase::Trailer:
            progressed = readTrailer();
            break;
        case Phase::BodyToEnd:
            appendBody(available);
            return;
        case Phase::Done:
            return;
        }
        if (!progressed) {
            break;
        }
    }
    if (m_consumed > 0 && m_consumed * 2 >= m_buffer.size()) {
        m_buffer.remove(0, m_consumed);
        m_consumed = 0;
    }
}

bool HttpResponseParser::takeLine(QByteArray& line)
{
    const qsizetype end = m_buffer.indexOf('\n', m_consumed);
    if (end < 0) {
        if (m_buffer.size() - m_consumed > kMaxLineBytes) {
            fail(QStringLiteral("a line of the answer is too long"));
        }
        return false;
    }
    line = m_buffer.mid(m_consumed, end - m_consumed);
    if (line.endsWith('\r')) {
        line.chop(1);
    }
    m_consumed = end + 1;
    return true;
}

bool HttpResponseParser::readHead()
{
    const qsizetype end = m_buffer.indexOf("\r\n\r\n", m_consumed);
    if (end < 0) {
        if (m_buffer.size() - m_consumed > kMaxHeadBytes) {
            fail(QStringLiteral("the header of the answer is too large"));
        }
        return false;
    }
    const QList<QByteArray> lines = m_buffer.mid(m_consumed, end - m_consumed).split('\n');
    m_consumed = end + 4;

    const QList<QByteArray> statusLine = lines.first().trimmed().split(' ');
    const QByteArray version = statusLine.first();
    if (statusLine.size() < 2 || (version != "HTTP/1.1" && version != "HTTP/1.0") || statusLine.at(1).size() != 3 ||
        !isDigits(statusLine.at(1))) {
        fail(QStringLiteral("the upstream server did not answer in HTTP/1.x"));
        return false;
    }
    m_status = statusLine.at(1).toInt();
    bool keepAlive = version == "HTTP/1.1";
    bool chunked = false;
    qint64 length = -1;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray& line = lines.at(i);
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0) {
            fail(QStringLiteral("the header of the answer is malformed"));
            return false;
        }
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (name == "content-length") {
            const qint64 parsed = parseCount(value, 10);
            if (parsed < 0 || (length >= 0 && parsed != length)) {
                fail(QStringLiteral("the answer's Content-Length is invalid"));
                return false;
            }
            length = parsed;
        } else if (name == "transfer-encoding") {
            chunked = value.toLower().endsWith("chunked");
            if (!chunked) {
                fail(QStringLiteral("the answer's Transfer-Encoding is not supported"));
                return false;
            }
        } else if (name == "connection") {
            if (listHolds(value, "close")) {
                keepAlive = false;
            } else if (listHolds(value, "keep-alive")) {
                keepAlive = true;
            }
        }
    }
    m_keepAlive = keepAlive;

    if (m_status >= 100 && m_status < 200) {
        // An interim answer ("100 Continue"); the real one follows.
        m_status = 0;
        return true;
    }
    if (m_status == 204 || m_status == 304) {
        complete();
    } else if (chunked) {
        m_phase = Phase::ChunkSize;
    } else if (length >= 0) {
        if (length > m_maxBodyBytes) {
            fail(QStringLiteral("the answer is larger than %1 bytes").arg(m_maxBodyBytes));
            return false;
        }
        m_body.reserve(length);
        m_remaining = length;
        m_phase = Phase::FixedBody;
    } else {
        // No framing: the body runs to the end of the stream, which ends the connection.
        m_keepAlive = false;
        m_phase = Phase::BodyToEnd;
    }
    return true;
}

bool HttpResponseParser::readChunkSize()
{
    QByteArray line;
    if (!takeLine(line)) {
        return false;
    }
    const qsizetype extension = line.indexOf(';');
    const qint64 size = parseCount(line.left(extension < 0 ? line.size() : extension).trimmed(), 16);
    if (size < 0) {
        fail(QStringLiteral("a chunk size of the answer is invalid"));
        return false;
    }
    if (size == 0) {
        m_phase = Phase::Trailer;
    } else {
        m_remaining = size;
        m_phase = Phase::ChunkData;
    }
    return true;
}

bool HttpResponseParser::readTrailer()
{
    QByteArray line;
    if (!takeLine(line)) {
        return false;
    }
    if (line.isEmpty()) {
        complete();
    }
    return true;
}

void HttpResponseParser::appendBody(qint64 count)
{
    if (m_body.size() + count > m_maxBodyBytes) {
        fail(QStringLiteral("the answer is larger than %1 bytes").arg(m_maxBodyBytes));
        return;
    }
    m_body.append(m_buffer.constData() + m_consumed, count);
    m_consumed += count;
}

void HttpResponseParser::complete()
{
    m_phase = Phase::Done;
    m_state = State::Complete;
    // Bytes beyond the answer mean the server and this reader disagree on the framing.
    if (m_consumed < m_buffer.size()) {
        m_keepAlive = false;
    }
    m_buffer.clear();
    m_consumed = 0;
}

void HttpResponseParser::fail(const QString& why)
{
    m_phase = Phase::Done;
    m_state = State::Failed;
    m_failure = why;
    m_keepAlive = false;
}

} // namespace quillora
