#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace quillora {

/**
 * Reads one HTTP/1.x answer as its bytes arrive: the status line, the header, and a body framed
 * by Content-Length, by chunks, or by the end of the stream. Interim answers (1xx) are skipped.
 * It decides whether the connection may carry another request afterwards. Used for the answers
 * to the service's own upstream requests, one request at a time per connection.
 */
class HttpResponseParser final
{
public:
    enum class State {
        /** More bytes are needed. */
        Incomplete,
        Complete,
        /** The bytes are not a well-formed answer, or it is larger than allowed; see `failure`. */
        Failed,
    };

    /** An answer whose body is larger than `maxBodyBytes` fails. */
    explicit HttpResponseParser(qint64 maxBodyBytes);

    /** Takes the next bytes of the stream; returns the state after them. */
    State feed(QByteArrayView bytes);

    /** The stream has ended: a body that runs to the end of the stream is complete now. */
    State end();

    [[nodiscard]] State state() const { return m_state; }
    /** Whether any byte of an answer has arrived. */
    [[nodiscard]] bool started() const { return m_started; }
    /** Complete only: the HTTP status. */
    [[nodiscard]] int status() const { return m_status; }
    /** Complete only: the body, without its chunk framing. */
    [[nodiscard]] const QByteArray& body() const { return m_body; }
    /** Complete only: the connection may carry the next request. */
    [[nodiscard]] bool keepAlive() const { return m_keepAlive; }
    /** Failed only: why, for a log line or an error text. */
    [[nodiscard]] const QString& failure() const { return m_failure; }

private:
    enum class Phase {
        Head,
        FixedBody,
        ChunkSize,
        ChunkData,
        ChunkEnd,
        Trailer,
        BodyToEnd,
        Done,
    };

    void run();
    bool readHead();
    bool readChunkSize();
    bool readTrailer();
    bool takeLine(QByteArray& line);
    void appendBody(qint64 count);
    void complete();
    void fail(const QString& why);

    qint64 m_maxBodyBytes = 0;
    State m_state = State::Incomplete;
    Phase m_phase = Phase::Head;
    QByteArray m_buffer;
    qsizetype m_consumed = 0;
    bool m_started = false;
    int m_status = 0;
    bool m_keepAlive = false;
    qint64 m_remaining = 0;
    QByteArray m_body;
    QString m_failure;
};

} // namespace quillora
