#pragma once

#include <QByteArray>
#include <QObject>

#include <functional>
#include <memory>

class QSocketNotifier;

namespace quillora {

/**
 * Carries the encrypted bytes of one TLS connection between the client's socket and the TLS
 * socket the HTTP server reads, through a socket pair. Qt's TLS socket closes as soon as it reads
 * the end of the client's stream, and nothing it still owes the client can be encrypted after
 * that. The relay keeps the end of the client's stream from it and reports it instead, so that a
 * client that shuts down its sending side after a complete request still gets its answer. Once
 * the TLS socket closes its end and everything it wrote has reached the client's socket, the
 * relay closes that socket and deletes itself. Lives on the thread that made it.
 */
class TlsRelay final : public QObject
{
public:
    /**
     * Takes over `clientDescriptor`. Returns null, having closed the descriptor, when no socket
     * pair can be had (the process is out of descriptors).
     */
    static TlsRelay* create(int clientDescriptor, QObject* parent);
    ~TlsRelay() override;
    TlsRelay(const TlsRelay&) = delete;
    TlsRelay& operator=(const TlsRelay&) = delete;

    /** The descriptor to hand to the TLS socket; the TLS socket owns it from then on. */
    [[nodiscard]] int serverDescriptor() const { return m_serverDescriptor; }

    /**
     * Called once the client has shut down its sending side and every byte it sent has been
     * passed on to the TLS socket.
     */
    void setOnClientFinished(std::function<void()> onClientFinished)
    {
        m_onClientFinished = std::move(onClientFinished);
    }

private:
    TlsRelay(int clientDescriptor, int relayDescriptor, int serverDescriptor, QObject* parent);

    void readClient();
    void readServer();
    void pump();
    void finishIfDone();
    void closeAll();

    int m_client;
    int m_relay;
    int m_serverDescriptor;
    std::unique_ptr<QSocketNotifier> m_clientReader;
    std::unique_ptr<QSocketNotifier> m_clientWriter;
    std::unique_ptr<QSocketNotifier> m_serverReader;
    std::unique_ptr<QSocketNotifier> m_serverWriter;
    QByteArray m_toServer;
    QByteArray m_toClient;
    bool m_clientFinished = false;
    bool m_clientFinishReported = false;
    bool m_serverClosed = false;
    std::function<void()> m_onClientFinished;
};

} // namespace quillora
