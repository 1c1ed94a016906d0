#pragma once

#include <QByteArray>

#include <memory>
#include <vector>

class QNetworkAccessManager;
class QNetworkReply;
class QNetworkRequest;

namespace quillora {

/**
 * Enough network managers for a number of upstream requests in flight at once. One manager opens
 * at most six HTTP/1.1 connections to a host and queues every further request behind them, so a
 * single manager would hold 2,000 permitted requests to six at a time. Each request goes to the
 * manager with the fewest requests in flight. Lives on the main thread.
 */
class NetworkManagerPool final
{
public:
    /** Managers for `concurrentRequests` requests in flight (at least one manager). */
    explicit NetworkManagerPool(int concurrentRequests);
    NetworkManagerPool(const NetworkManagerPool&) = delete;
    NetworkManagerPool& operator=(const NetworkManagerPool&) = delete;
    ~NetworkManagerPool();

    /** Sends `body` as a POST through the least busy manager; the reply belongs to that manager. */
    QNetworkReply* post(const QNetworkRequest& request, const QByteArray& body);

    /** Aborts every request still running; their replies finish with OperationCanceledError. */
    void abortAll();

    [[nodiscard]] int managers() const { return static_cast<int>(m_managers.size()); }

private:
    struct Manager
    {
        std::unique_ptr<QNetworkAccessManager> manager;
        int inFlight = 0;
    };

    std::vector<Manager> m_managers;
};

} // namespace quillora
