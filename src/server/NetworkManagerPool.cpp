#include "server/NetworkManagerPool.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <algorithm>

namespace quillora {

namespace {

// Qt's HTTP/1.1 connections per host and manager; it cannot be changed in this Qt version.
constexpr int kConnectionsPerManager = 6;

} // namespace

NetworkManagerPool::NetworkManagerPool(int concurrentRequests)
{
    const int count = std::max(1, (concurrentRequests + kConnectionsPerManager - 1) / kConnectionsPerManager);
    m_managers.resize(static_cast<std::size_t>(count));
    for (Manager& manager : m_managers) {
        manager.manager = std::make_unique<QNetworkAccessManager>();
    }
}

NetworkManagerPool::~NetworkManagerPool() = default;

QNetworkReply* NetworkManagerPool::post(const QNetworkRequest& request, const QByteArray& body)
{
    // The least busy manager, not the next in turn: answers take very different times, and a
    // manager holding more than its six keeps the extra ones waiting.
    const auto least = std::min_element(m_managers.begin(), m_managers.end(),
                                        [](const Manager& a, const Manager& b) { return a.inFlight < b.inFlight; });
    QNetworkReply* reply = least->manager->post(request, body);
    ++least->inFlight;
    int* inFlight = &least->inFlight;
    QObject::connect(reply, &QNetworkReply::finished, reply, [inFlight] { --*inFlight; });
    return reply;
}

void NetworkManagerPool::abortAll()
{
    for (const Manager& manager : m_managers) {
        for (QNetworkReply* reply : manager.manager->findChildren<QNetworkReply*>()) {
            if (reply->isRunning()) {
                reply->abort();
            }
        }
    }
}

} // namespace quillora
