#include "platform/linux/wayland/SwayIpcClient.h"

#include "core/AsyncEvent.h"
#include "core/Clock.h"
#include "platform/linux/wayland/SwayIpcFrame.h"

#include <QLocalSocket>

#include <memory>

namespace quillora {

namespace {

// One request in flight. The socket reports through signals; the first of reply, error, close or
// time-out ends the exchange.
struct Exchange
{
    QLocalSocket* socket = new QLocalSocket;
    QByteArray received;
    std::optional<QByteArray> reply;
    AsyncEvent finished;

    Exchange() = default;
    Exchange(const Exchange&) = delete;
    Exchange& operator=(const Exchange&) = delete;
    ~Exchange()
    {
        // The exchange may end inside one of the socket's own signals: the socket goes later.
        QObject::disconnect(socket, nullptr, nullptr, nullptr);
        socket->abort();
        socket->deleteLater();
    }
};

} // namespace

SwayIpcClient::SwayIpcClient(Clock& clock, QString socketPath)
    : m_clock(clock)
    , m_socketPath(std::move(socketPath))
{
}

QCoro::Task<std::optional<QByteArray>> SwayIpcClient::request(quint32 type, QByteArray payload)
{
    if (m_socketPath.isEmpty()) {
        co_return std::nullopt;
    }
    auto exchange = std::make_shared<Exchange>();
    Exchange* state = exchange.get();
    QLocalSocket* socket = state->socket;
    QObject::connect(socket, &QLocalSocket::connected, socket,
                     [state, message = SwayIpcFrame::encode(type, payload)] { state->socket->write(message); });
    QObject::connect(socket, &QLocalSocket::readyRead, socket, [state, type] {
        state->received += state->socket->readAll();
        const SwayIpcFrame::Decoded decoded = SwayIpcFrame::decode(state->received);
        if (decoded.status == SwayIpcFrame::Status::Incomplete) {
            return;
        }
        if (decoded.status == SwayIpcFrame::Status::Complete && decoded.type == type) {
            state->reply = decoded.payload;
        }
        state->finished.set();
    });
    QObject::connect(socket, &QLocalSocket::errorOccurred, socket, [state] { state->finished.set(); });
    QObject::connect(socket, &QLocalSocket::disconnected, socket, [state] { state->finished.set(); });
    const Timer timeout = m_clock.schedule(timeoutSeconds, [weak = std::weak_ptr<Exchange>(exchange)] {
        if (const std::shared_ptr<Exchange> expired = weak.lock()) {
            expired->finished.set();
        }
    });
    socket->connectToServer(m_socketPath);
    co_await state->finished.wait();
    timeout.invalidate();
    co_return exchange->reply;
}

} // namespace quillora
