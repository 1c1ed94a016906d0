#pragma once

#include "core/AsyncEvent.h"
#include "server/CompletionInbox.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrl>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class QObject;
class QThread;

namespace quillora {

/** What came back for one upstream request. */
struct UpstreamReply
{
    /** The HTTP status; 0 when no HTTP answer arrived. */
    int status = 0;
    QByteArray body;
    /** The transport's reason when no HTTP answer arrived. */
    QString error;
    /** The request was aborted before it finished. */
    bool aborted = false;
    /** From sending the request to its end. */
    double milliseconds = 0;
};

/** One POST to an upstream server over http or https. */
struct UpstreamRequest
{
    QUrl url;
    /** Besides Host and Content-Length, which are added. */
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    /** The most bytes of the answer's body read; a longer answer fails, the rest of it unread. */
    qint64 maxAnswerBytes = 16 * 1024 * 1024;
};

/**
 * An HTTP/1.1 client for the service's upstream requests, one request per connection at a time,
 * keeping connections open between requests. Its sockets live on two network threads of lower
 * priority than the serving thread, so that thousands of requests in flight cost the event loop
 * that answers clients nothing but the finished replies, which come back through a
 * `CompletionInbox`. Any number of requests run at once (the caller bounds them); each has a
 * connection of its own. Made and used on the main thread.
 */
class UpstreamClient final
{
public:
    class Connections;

    /** One request on its way; shared by the caller and a network thread. */
    class Call : public std::enable_shared_from_this<Call>
    {
    public:
        /** Set on the main thread once `reply()` is complete. */
        [[nodiscard]] AsyncEvent& finished() { return m_finished; }
        /** Complete once `finished()` is set. */
        [[nodiscard]] const UpstreamReply& reply() const { return m_reply; }
        /** Ends the request early; it then finishes as aborted. Main thread; idempotent. */
        void abort();

    private:
        friend class UpstreamClient;
        friend class Connections;
        AsyncEvent m_finished;
        UpstreamReply m_reply;
        std::function<void(const UpstreamReply&)> m_onFinished;
        std::size_t m_thread = 0;
        Connections* m_connections = nullptr;
        std::atomic<bool> m_abortRequested{false};
    };

    /** Keeps up to `idleConnections` connections open between requests, spread over its threads. */
    explicit UpstreamClient(int idleConnections);
    UpstreamClient(const UpstreamClient&) = delete;
    UpstreamClient& operator=(const UpstreamClient&) = delete;
    /** Closes the client (see `close`). */
    ~UpstreamClient();

    /**
     * Starts `request` on the least busy network thread; `onFinished` runs on the main thread as
     * soon as the reply is complete, just before `finished()` is set. Never fails; failures,
     * including an address that is not http or https, are in the reply.
     */
    [[nodiscard]] std::shared_ptr<Call> post(UpstreamRequest request,
                                             std::function<void(const UpstreamReply&)> onFinished = {});

    /**
     * Aborts every request still running, closes every connection, ends the network threads and
     * sets `finished()` of every call before it returns. Idempotent.
     */
    void close();

private:
    struct NetworkThread
    {
        std::unique_ptr<QThread> thread;
        /** Lives on the thread. */
        Connections* connections = nullptr;
        int inFlight = 0;
    };

    void finish(const std::shared_ptr<Call>& call);

    std::vector<NetworkThread> m_threads;
    CompletionInbox m_inbox;
    bool m_closed = false;
};

} // namespace quillora
