#include "server/http/TlsRelay.h"

#include "server/http/SocketWrite.h"

#include <QSocketNotifier>

#include <array>
#include <cerrno>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace quillora {

namespace {

// Read per wake-up from one side, so that one busy connection does not hold the event loop.
constexpr qsizetype kReadPerWake = 256 * 1024;

/** Reads what `descriptor` has into `into`; false once the stream has ended or failed. */
bool readAvailable(int descriptor, QByteArray& into)
{
    std::array<char, 16 * 1024> chunk{};
    qsizetype taken = 0;
    while (taken < kReadPerWake) {
        const ssize_t count = ::read(descriptor, chunk.data(), chunk.size());
        if (count > 0) {
            into.append(chunk.data(), count);
            taken += count;
        } else if (count < 0 && errno == EINTR) {
            continue;
        } else if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            return true;
        } else {
            return false;
        }
    }
    return true;
}

} // namespace

TlsRelay* TlsRelay::create(int clientDescriptor, QObject* parent)
{
    std::array<int, 2> pair{-1, -1};
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, pair.data()) != 0) {
        ::close(clientDescriptor);
        return nullptr;
    }
    ::fcntl(clientDescriptor, F_SETFL, ::fcntl(clientDescriptor, F_GETFL) | O_NONBLOCK);
    return new TlsRelay(clientDescriptor, pair[0], pair[1], parent);
}

TlsRelay::TlsRelay(int clientDescriptor, int relayDescriptor, int serverDescriptor, QObject* parent)
    : QObject(parent)
    , m_client(clientDescriptor)
    , m_relay(relayDescriptor)
    , m_serverDescriptor(serverDescriptor)
{
    m_clientReader = std::make_unique<QSocketNotifier>(m_client, QSocketNotifier::Read);
    m_clientWriter = std::make_unique<QSocketNotifier>(m_client, QSocketNotifier::Write);
    m_serverReader = std::make_unique<QSocketNotifier>(m_relay, QSocketNotifier::Read);
    m_serverWriter = std::make_unique<QSocketNotifier>(m_relay, QSocketNotifier::Write);
    m_clientWriter->setEnabled(false);
    m_serverWriter->setEnabled(false);
    connect(m_clientReader.get(), &QSocketNotifier::activated, this, &TlsRelay::readClient);
    connect(m_serverReader.get(), &QSocketNotifier::activated, this, &TlsRelay::readServer);
    connect(m_clientWriter.get(), &QSocketNotifier::activated, this, &TlsRelay::pump);
    connect(m_serverWriter.get(), &QSocketNotifier::activated, this, &TlsRelay::pump);
}

TlsRelay::~TlsRelay()
{
    m_clientReader.reset();
    m_clientWriter.reset();
    m_serverReader.reset();
    m_serverWriter.reset();
    if (m_client >= 0) {
        ::close(m_client);
    }
    if (m_relay >= 0) {
        ::close(m_relay);
    }
}

void TlsRelay::readClient()
{
    if (!readAvailable(m_client, m_toServer)) {
        // The end of the client's stream, which the TLS socket must not see while it owes answers.
        m_clientFinished = true;
        m_clientReader->setEnabled(false);
    }
    pump();
}

void TlsRelay::readServer()
{
    if (!readAvailable(m_relay, m_toClient)) {
        m_serverClosed = true;
        m_serverReader->setEnabled(false);
    }
    pump();
}

void TlsRelay::pump()
{
    if (m_relay < 0) {
        return;
    }
    if (sendPending(m_relay, m_toServer) == SendOutcome::Gone) {
        // The TLS socket is gone; its end of the pair tells the rest.
        m_toServer.clear();
    }
    m_serverWriter->setEnabled(!m_toServer.isEmpty());
    if (m_clientFinished && m_toServer.isEmpty() && !m_clientFinishReported) {
        m_clientFinishReported = true;
        if (m_onClientFinished) {
            m_onClientFinished();
        }
    }
    if (sendPending(m_client, m_toClient) == SendOutcome::Gone) {
        // The client is gone altogether: closing the pair ends the TLS socket too.
        closeAll();
        return;
    }
    m_clientWriter->setEnabled(!m_toClient.isEmpty());
    finishIfDone();
}

void TlsRelay::finishIfDone()
{
    if (m_serverClosed && m_toClient.isEmpty()) {
        closeAll();
    }
}

void TlsRelay::closeAll()
{
    // Called from a notifier's own signal: the notifiers go with the relay, later.
    for (QSocketNotifier* notifier :
         {m_clientReader.get(), m_clientWriter.get(), m_serverReader.get(), m_serverWriter.get()}) {
        notifier->setEnabled(false);
    }
    ::close(m_client);
    ::close(m_relay);
    m_client = -1;
    m_relay = -1;
    deleteLater();
}

} // namespace quillora
