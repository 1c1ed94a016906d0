#include "server/engines/UpstreamClient.h"

#include "server/http/HttpResponseParser.h"

#include <QElapsedTimer>
#include <QHash>
#include <QMetaObject>
#include <QSslSocket>
#include <QThread>

#include <algorithm>
#include <unordered_map>

#include <sys/resource.h>

namespace quillora {

namespace {

// Enough for the sockets of a few thousand requests in flight on a small machine.
constexpr int kNetworkThreads = 2;
// The network threads yield to the serving thread, so that a health check is not kept waiting
// while thousands of answers arrive.
constexpr int kNetworkNiceness = 5;
// A connection left idle longer than this is likely closed by the server by now.
constexpr qint64 kIdleMilliseconds = 20'000;
// Bytes a socket takes from the network ahead of the parser, so that an answer that turns out too
// long is not read much beyond its bound.
constexpr qint64 kReadAhead = 64 * 1024;

bool hasLineBreak(const QByteArray& text)
{
    return text.contains('\r') || text.contains('\n');
}

} // namespace

/**
 * The connections of one network thread and the requests running on them. Lives on that
 * thread; everything but its constructor runs there.
 */
class UpstreamClient::Connections final : public QObject
{
public:
    using Deliver = std::function<void(const std::shared_ptr<Call>&)>;

    Connections(std::size_t maxIdle, Deliver deliver)
        : m_maxIdle(maxIdle)
        , m_deliver(std::move(deliver))
    {
    }

    void send(const std::shared_ptr<Call>& call, const UpstreamRequest& request);
    void abort(const std::shared_ptr<Call>& call);
    /** Aborts every running request and closes every connection. */
    void closeAll();

private:
    /** One request and its answer so far. */
    struct Exchange
    {
        std::shared_ptr<Call> call;
        QString key;
        QString host;
        quint16 port = 0;
        bool tls = false;
        QByteArray bytes;
        qint64 maxAnswerBytes = 0;
        HttpResponseParser parser{0};
        QElapsedTimer sent;
        /** Whether it runs on a connection that carried an earlier request. */
        bool reused = false;
        bool retried = false;
    };

    /** One connection: busy with an exchange, or idle. */
    struct Link
    {
        std::unique_ptr<Exchange> exchange;
        QString key;
        QElapsedTimer idleSince;
    };

    void start(std::unique_ptr<Exchange> exchange, bool fresh);
    QTcpSocket* takeIdle(const QString& key);
    QTcpSocket* open(const Exchange& exchange);
    /** The exchange running on `socket`; nullptr, after dropping it, when the socket is idle. */
    Exchange* exchangeOn(QTcpSocket* socket);
    void readable(QTcpSocket* socket);
    void closed(QTcpSocket* socket);
    void answered(QTcpSocket* socket);
    void drop(QTcpSocket* socket);
    void finish(const std::shared_ptr<Call>& call, UpstreamReply reply, const QElapsedTimer& sent);

    const std::size_t m_maxIdle;
    const Deliver m_deliver;
    std::unordered_map<QTcpSocket*, Link> m_links;
    /** Idle connections by "scheme://host:port", the most recently used last. */
    QHash<QString, std::vector<QTcpSocket*>> m_idle;
    std::size_t m_idleCount = 0;
    std::unordered_map<const Call*, QTcpSocket*> m_running;
};

void UpstreamClient::Connections::send(const std::shared_ptr<Call>& call, const UpstreamRequest& request)
{
    QElapsedTimer sent;
    sent.start();
    if (call->m_abortRequested) {
        finish(call, {0, {}, QStringLiteral("aborted before it was sent"), true, 0}, sent);
        return;
    }
    const QUrl& url = request.url;
    const QString scheme = url.scheme().toLower();
    if ((scheme != QLatin1String("http") && scheme != QLatin1String("https")) || url.host().isEmpty()) {
        finish(call, {0, {}, QStringLiteral("the upstream address is not an http or https URL"), false, 0}, sent);
        return;
    }
    auto exchange = std::make_unique<Exchange>();
    exchange->call = call;
    exchange->tls = scheme == QLatin1String("https");
    exchange->host = url.host();
    exchange->port = static_cast<quint16>(url.port(exchange->tls ? 443 : 80));
    exchange->key = QStringLiteral("%1://%2:%3").arg(scheme, exchange->host).arg(exchange->port);
    exchange->sent = sent;
    exchange->maxAnswerBytes = request.maxAnswerBytes;
    exchange->parser = HttpResponseParser(request.maxAnswerBytes);

    QByteArray target = url.path(QUrl::FullyEncoded).toLatin1();
    if (target.isEmpty()) {
        target = "/";
    }
    if (url.hasQuery()) {
        target += '?' + url.query(QUrl::FullyEncoded).toLatin1();
    }
    QByteArray host = url.host(QUrl::FullyEncoded).toLatin1();
    if (host.contains(':')) {
        host = '[' + host + ']';
    }
    if (url.port() != -1) {
        host += ':' + QByteArray::number(url.port());
    }
    QByteArray& bytes = exchange->bytes;
    bytes.reserve(256 + request.body.size());
    bytes += "POST " + target + " HTTP/1.1\r\nHost: " + host + "\r\n";
    for (const auto& [name, value] : request.headers) {
        if (hasLineBreak(name) || hasLineBreak(value)) {
            finish(call, {0, {}, QStringLiteral("a request header holds a line break"), false, 0}, sent);
            return;
        }
        bytes += name + ": " + value + "\r\n";
    }
    bytes += "Content-Length: " + QByteArray::number(request.body.size()) + "\r\n\r\n";
    bytes += request.body;
    start(std::move(exchange), false);
}

void UpstreamClient::Connections::start(std::unique_ptr<Exchange> exchange, bool fresh)
{
    QTcpSocket* socket = fresh ? nullptr : takeIdle(exchange->key);
    exchange->reused = socket != nullptr;
    if (socket == nullptr) {
        socket = open(*exchange);
    }
    m_running[exchange->call.get()] = socket;
    Link& link = m_links[socket];
    link.key = exchange->key;
    // A new connection buffers what is written until it is established (and encrypted).
    socket->write(exchange->bytes);
    link.exchange = std::move(exchange);
}

QTcpSocket* UpstreamClient::Connections::takeIdle(const QString& key)
{
    const auto found = m_idle.find(key);
    if (found == m_idle.end()) {
        return nullptr;
    }
    std::vector<QTcpSocket*>& idle = found.value();
    while (!idle.empty()) {
        QTcpSocket* socket = idle.back();
        idle.pop_back();
        --m_idleCount;
        if (socket->state() == QAbstractSocket::ConnectedState &&
            !m_links.at(socket).idleSince.hasExpired(kIdleMilliseconds)) {
            return socket;
        }
        drop(socket);
    }
    return nullptr;
}

QTcpSocket* UpstreamClient::Connections::open(const Exchange& exchange)
{
    QTcpSocket* socket = nullptr;
    if (exchange.tls) {
        auto* secure = new QSslSocket(this);
        secure->connectToHostEncrypted(exchange.host, exchange.port);
        socket = secure;
    } else {
        socket = new QTcpSocket(this);
        socket->connectToHost(exchange.host, exchange.port);
    }
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    socket->setReadBufferSize(kReadAhead);
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readable(socket); });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] { closed(socket); });
    connect(socket, &QTcpSocket::errorOccurred, this, [this, socket] { closed(socket); });
    return socket;
}

UpstreamClient::Connections::Exchange* UpstreamClient::Connections::exchangeOn(QTcpSocket* socket)
{
    const auto found = m_links.find(socket);
    if (found == m_links.end()) {
        return nullptr;
    }
    if (!found->second.exchange) {
        // Closed by the server while idle, or bytes nobody asked for, which put the connection out
        // of step: either way it is not used again.
        drop(socket);
        return nullptr;
    }
    return found->second.exchange.get();
}

void UpstreamClient::Connections::readable(QTcpSocket* socket)
{
    Exchange* exchange = exchangeOn(socket);
    if (exchange == nullptr) {
        return;
    }
    exchange->parser.feed(socket->readAll());
    if (exchange->parser.state() != HttpResponseParser::State::Incomplete) {
        answered(socket);
    }
}

void UpstreamClient::Connections::closed(QTcpSocket* socket)
{
    Exchange* exchange = exchangeOn(socket);
    if (exchange == nullptr) {
        return;
    }
    HttpResponseParser& parser = exchange->parser;
    parser.feed(socket->readAll());
    if (parser.state() == HttpResponseParser::State::Incomplete) {
        const bool failedAtOnce = socket->error() != QAbstractSocket::RemoteHostClosedError &&
                                  socket->error() != QAbstractSocket::UnknownSocketError;
        if (!parser.started() && exchange->reused && !exchange->retried) {
            // The server closed a kept connection as the request went out, which happens when
            // its idle time-out and the request cross: it saw nothing, so the request goes again
            // on a new connection.
            std::unique_ptr<Exchange> retry = std::move(m_links.at(socket).exchange);
            retry->retried = true;
            retry->parser = HttpResponseParser(retry->maxAnswerBytes);
            drop(socket);
            start(std::move(retry), true);
            return;
        }
        if (failedAtOnce) {
            const std::shared_ptr<Call> call = exchange->call;
            const QElapsedTimer sent = exchange->sent;
            const QString error = socket->errorString();
            drop(socket);
            finish(call, {0, {}, error, false, 0}, sent);
            return;
        }
        parser.end();
    }
    answered(socket);
}

void UpstreamClient::Connections::answered(QTcpSocket* socket)
{
    Link& link = m_links.at(socket);
    const std::unique_ptr<Exchange> exchange = std::move(link.exchange);
    const HttpResponseParser& parser = exchange->parser;
    UpstreamReply reply;
    if (parser.state() == HttpResponseParser::State::Complete) {
        reply.status = parser.status();
        reply.body = parser.body();
    } else {
        reply.error = parser.failure();
    }
    if (parser.state() == HttpResponseParser::State::Complete && parser.keepAlive() &&
        socket->state() == QAbstractSocket::ConnectedState && m_idleCount < m_maxIdle) {
        m_running.erase(exchange->call.get());
        link.idleSince.start();
        m_idle[link.key].push_back(socket);
        ++m_idleCount;
    } else {
        drop(socket);
    }
    finish(exchange->call, std::move(reply), exchange->sent);
}

void UpstreamClient::Connections::drop(QTcpSocket* socket)
{
    const auto found = m_links.find(socket);
    if (found != m_links.end()) {
        if (found->second.exchange) {
            m_running.erase(found->second.exchange->call.get());
        } else {
            // An idle connection the server closed leaves the idle list with it.
            std::vector<QTcpSocket*>& idle = m_idle[found->second.key];
            const auto kept = std::find(idle.begin(), idle.end(), socket);
            if (kept != idle.end()) {
                idle.erase(kept);
                --m_idleCount;
            }
        }
        m_links.erase(found);
    }
    disconnect(socket, nullptr, this, nullptr);
    socket->abort();
    socket->deleteLater();
}

void UpstreamClient::Connections::abort(const std::shared_ptr<Call>& call)
{
    const auto found = m_running.find(call.get());
    if (found == m_running.end()) {
        return;
    }
    const QElapsedTimer sent = m_links.at(found->second).exchange->sent;
    drop(found->second);
    finish(call, {0, {}, QStringLiteral("aborted"), true, 0}, sent);
}

void UpstreamClient::Connections::closeAll()
{
    std::vector<std::shared_ptr<Call>> running;
    for (const auto& [socket, link] : m_links) {
        if (link.exchange) {
            running.push_back(link.exchange->call);
        }
    }
    for (const std::shared_ptr<Call>& call : running) {
        abort(call);
    }
    while (!m_links.empty()) {
        drop(m_links.begin()->first);
    }
    m_idle.clear();
    m_idleCount = 0;
}

void UpstreamClient::Connections::finish(const std::shared_ptr<Call>& call, UpstreamReply reply,
                                         const QElapsedTimer& sent)
{
    m_running.erase(call.get());
    reply.milliseconds = static_cast<double>(sent.nsecsElapsed()) / 1e6;
    call->m_reply = std::move(reply);
    m_deliver(call);
}

void UpstreamClient::Call::abort()
{
    // A finished call has nothing to end, and its network thread may be gone.
    if (m_finished.isSet() || m_connections == nullptr) {
        return;
    }
    m_abortRequested = true;
    // Posted after the request itself, so a request that was not sent yet is never sent.
    QMetaObject::invokeMethod(
        m_connections, [call = shared_from_this()] { call->m_connections->abort(call); }, Qt::QueuedConnection);
}

UpstreamClient::UpstreamClient(int idleConnections)
{
    const auto perThread =
        static_cast<std::size_t>(std::max(1, (idleConnections + kNetworkThreads - 1) / kNetworkThreads));
    for (int i = 0; i < kNetworkThreads; ++i) {
        NetworkThread& added = m_threads.emplace_back();
        added.thread = std::make_unique<QThread>();
        added.thread->setObjectName(QStringLiteral("upstream-%1").arg(i + 1));
        // Moved before the thread starts, so that what is posted to it waits for its loop.
        added.connections = new Connections(
            perThread, [this](const std::shared_ptr<Call>& call) { m_inbox.post([this, call] { finish(call); }); });
        added.connections->moveToThread(added.thread.get());
        added.thread->start();
        // Linux keeps a niceness per thread.
        QMetaObject::invokeMethod(
            added.connections, [] { ::setpriority(PRIO_PROCESS, 0, kNetworkNiceness); }, Qt::QueuedConnection);
    }
}

UpstreamClient::~UpstreamClient()
{
    close();
}

std::shared_ptr<UpstreamClient::Call> UpstreamClient::post(UpstreamRequest request,
                                                           std::function<void(const UpstreamReply&)> onFinished)
{
    auto call = std::make_shared<Call>();
    call->m_onFinished = std::move(onFinished);
    if (m_closed) {
        call->m_reply = {0, {}, QStringLiteral("the service is stopping"), true, 0};
        call->m_finished.set();
        return call;
    }
    const auto least =
        std::min_element(m_threads.begin(), m_threads.end(),
                         [](const NetworkThread& a, const NetworkThread& b) { return a.inFlight < b.inFlight; });
    ++least->inFlight;
    call->m_thread = static_cast<std::size_t>(least - m_threads.begin());
    call->m_connections = least->connections;
    QMetaObject::invokeMethod(
        least->connections,
        [connections = least->connections, call, request = std::move(request)] { connections->send(call, request); },
        Qt::QueuedConnection);
    return call;
}

void UpstreamClient::finish(const std::shared_ptr<Call>& call)
{
    --m_threads[call->m_thread].inFlight;
    if (call->m_onFinished) {
        call->m_onFinished(call->m_reply);
    }
    call->m_finished.set();
}

void UpstreamClient::close()
{
    if (m_closed) {
        return;
    }
    m_closed = true;
    // Each thread aborts its running requests, whose replies arrive in the inbox, emptied once
    // the threads are gone.
    for (NetworkThread& network : m_threads) {
        Connections* connections = network.connections;
        QMetaObject::invokeMethod(
            connections, [connections] { connections->closeAll(); }, Qt::BlockingQueuedConnection);
        network.thread->quit();
        network.thread->wait();
        delete connections;
    }
    m_inbox.drain();
}

} // namespace quillora
