#include "server/NetworkManagerPool.h"

#include <QElapsedTimer>
#include <QMetaObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QThread>

#include <algorithm>

#include <sys/resource.h>

namespace quillora {

namespace {

// Qt's HTTP/1.1 connections per host and manager; it cannot be changed in this Qt version.
constexpr int kConnectionsPerManager = 6;
// Enough threads for the Qt objects of a few thousand requests per second on a small machine.
constexpr int kNetworkThreads = 2;
// The network threads, and the HTTP threads Qt starts from them, yield to the serving thread.
constexpr int kNetworkNiceness = 5;

} // namespace

void NetworkManagerPool::Call::abort()
{
    m_abortRequested = true;
    // Posted after the request itself, so a request that was not sent yet is never sent.
    QMetaObject::invokeMethod(
        m_context,
        [call = shared_from_this()] {
            if (call->m_running && call->m_running->isRunning()) {
                call->m_running->abort();
            }
        },
        Qt::QueuedConnection);
}

NetworkManagerPool::NetworkManagerPool(int concurrentRequests)
{
    const int managers = std::max(1, (concurrentRequests + kConnectionsPerManager - 1) / kConnectionsPerManager);
    const int threads = std::min(managers, kNetworkThreads);
    for (int i = 0; i < threads; ++i) {
        NetworkThread& added = m_threads.emplace_back();
        added.thread = std::make_unique<QThread>();
        added.thread->setObjectName(QStringLiteral("upstream-%1").arg(i + 1));
        // Moved before the thread starts, so that what is posted to it waits for its loop.
        added.context = new QObject;
        added.context->moveToThread(added.thread.get());
        added.thread->start();
        // Linux keeps a niceness per thread, and a thread inherits the one of the thread that
        // starts it: Qt's HTTP threads, started from here, run below the event loop that answers
        // clients, so that a health check is not kept waiting while thousands of answers arrive.
        QMetaObject::invokeMethod(
            added.context, [] { ::setpriority(PRIO_PROCESS, 0, kNetworkNiceness); }, Qt::QueuedConnection);
    }
    m_managers.resize(static_cast<std::size_t>(managers));
    for (std::size_t i = 0; i < m_managers.size(); ++i) {
        const NetworkThread& home = m_threads[i % m_threads.size()];
        m_managers[i].context = home.context;
        m_managers[i].manager = new QNetworkAccessManager;
        m_managers[i].manager->moveToThread(home.thread.get());
    }
}

NetworkManagerPool::~NetworkManagerPool()
{
    close();
}

std::shared_ptr<NetworkManagerPool::Call> NetworkManagerPool::post(const QNetworkRequest& request,
                                                                   const QByteArray& body,
                                                                   std::function<void(const UpstreamReply&)> onFinished)
{
    auto call = std::make_shared<Call>();
    call->m_onFinished = std::move(onFinished);
    if (m_closed) {
        call->m_reply = {0, {}, QStringLiteral("the service is stopping"), true, 0};
        call->m_finished.set();
        return call;
    }
    // The least busy manager, not the next in turn: answers take very different times, and a
    // manager holding more than its six keeps the extra ones waiting.
    const auto least = std::min_element(m_managers.begin(), m_managers.end(),
                                        [](const Manager& a, const Manager& b) { return a.inFlight < b.inFlight; });
    ++least->inFlight;
    call->m_manager = static_cast<std::size_t>(least - m_managers.begin());
    call->m_context = least->context;
    QNetworkAccessManager* manager = least->manager;
    QMetaObject::invokeMethod(
        least->context, [this, call, manager, request, body] { send(call, manager, request, body); },
        Qt::QueuedConnection);
    return call;
}

void NetworkManagerPool::send(const std::shared_ptr<Call>& call, QNetworkAccessManager* manager,
                              const QNetworkRequest& request, const QByteArray& body)
{
    if (call->m_abortRequested) {
        call->m_reply.aborted = true;
        call->m_reply.error = QStringLiteral("aborted before it was sent");
        m_inbox.post([this, call] { finish(call); });
        return;
    }
    QElapsedTimer timer;
    timer.start();
    QNetworkReply* reply = manager->post(request, body);
    call->m_running = reply;
    QObject::connect(reply, &QNetworkReply::finished, reply, [this, call, reply, timer] {
        complete(call, reply, static_cast<double>(timer.nsecsElapsed()) / 1e6);
    });
}

void NetworkManagerPool::finish(const std::shared_ptr<Call>& call)
{
    --m_managers[call->m_manager].inFlight;
    if (call->m_onFinished) {
        call->m_onFinished(call->m_reply);
    }
    call->m_finished.set();
}

void NetworkManagerPool::complete(const std::shared_ptr<Call>& call, QNetworkReply* reply, double milliseconds)
{
    UpstreamReply& result = call->m_reply;
    result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    result.aborted = reply->error() == QNetworkReply::OperationCanceledError;
    if (!result.aborted) {
        result.body = reply->readAll();
    }
    if (result.status == 0) {
        result.error = reply->errorString();
    }
    result.milliseconds = milliseconds;
    reply->deleteLater();
    m_inbox.post([this, call] { finish(call); });
}

void NetworkManagerPool::close()
{
    if (m_closed) {
        return;
    }
    m_closed = true;
    // Each thread aborts its running replies and deletes its managers; the aborted replies
    // report through the inbox, which is emptied once the threads are gone.
    for (NetworkThread& network : m_threads) {
        std::vector<QNetworkAccessManager*> owned;
        for (const Manager& manager : m_managers) {
            if (manager.context == network.context) {
                owned.push_back(manager.manager);
            }
        }
        QObject* context = network.context;
        QMetaObject::invokeMethod(
            context,
            [owned] {
                for (QNetworkAccessManager* manager : owned) {
                    for (QNetworkReply* reply : manager->findChildren<QNetworkReply*>()) {
                        if (reply->isRunning()) {
                            reply->abort();
                        }
                    }
                    delete manager;
                }
            },
            Qt::BlockingQueuedConnection);
        network.thread->quit();
        network.thread->wait();
        delete context;
    }
    m_inbox.drain();
}

} // namespace quillora
