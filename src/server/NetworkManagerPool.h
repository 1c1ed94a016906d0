#pragma once

#include "core/AsyncEvent.h"
#include "server/CompletionInbox.h"

#include <QByteArray>
#include <QNetworkRequest>
#include <QPointer>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class QNetworkAccessManager;
class QNetworkReply;
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

/**
 * Sends upstream requests from network threads, through enough network managers for a number of
 * requests in flight at once. One manager opens at most six HTTP/1.1 connections to a host and
 * queues every further request behind them, so a single manager would hold 2,000 permitted
 * requests to six at a time; each request goes to the manager with the fewest in flight. The
 * managers and their replies live on threads of their own, so the Qt objects of thousands of
 * requests per second cost the serving thread nothing; it only sees each finished reply, handed
 * back through a `CompletionInbox`. Made and used on the main thread.
 */
class NetworkManagerPool final
{
public:
    /** One request on its way; shared by the caller and the network thread. */
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
        friend class NetworkManagerPool;
        AsyncEvent m_finished;
        UpstreamReply m_reply;
        std::function<void(const UpstreamReply&)> m_onFinished;
        std::size_t m_manager = 0;
        /** Lives on the call's network thread. */
        QObject* m_context = nullptr;
        std::atomic<bool> m_abortRequested{false};
        /** Touched on the network thread only. */
        QPointer<QNetworkReply> m_running;
    };

    /** Managers for `concurrentRequests` requests in flight, spread over a few threads. */
    explicit NetworkManagerPool(int concurrentRequests);
    NetworkManagerPool(const NetworkManagerPool&) = delete;
    NetworkManagerPool& operator=(const NetworkManagerPool&) = delete;
    /** Closes the pool (see `close`). */
    ~NetworkManagerPool();

    /**
     * Starts a POST of `body` through the least busy manager; `onFinished` runs on the main thread
     * as soon as the reply is complete, just before `finished()` is set. Never fails; failures are
     * in the reply.
     */
    [[nodiscard]] std::shared_ptr<Call> post(const QNetworkRequest& request, const QByteArray& body,
                                             std::function<void(const UpstreamReply&)> onFinished = {});

    /**
     * Aborts every request still running, ends the network threads and sets `finished()` of
     * every call before it returns. Idempotent.
     */
    void close();

private:
    struct Manager
    {
        QNetworkAccessManager* manager = nullptr;
        /** Lives on the manager's thread: what is posted there runs there. */
        QObject* context = nullptr;
        int inFlight = 0;
    };

    struct NetworkThread
    {
        std::unique_ptr<QThread> thread;
        QObject* context = nullptr;
    };

    void send(const std::shared_ptr<Call>& call, QNetworkAccessManager* manager, const QNetworkRequest& request,
              const QByteArray& body);
    void complete(const std::shared_ptr<Call>& call, QNetworkReply* reply, double milliseconds);
    void finish(const std::shared_ptr<Call>& call);

    std::vector<NetworkThread> m_threads;
    std::vector<Manager> m_managers;
    CompletionInbox m_inbox;
    bool m_closed = false;
};

} // namespace quillora
