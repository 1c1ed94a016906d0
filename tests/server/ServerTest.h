#pragma once

#include "HttpTestClient.h"
#include "TestServer.h"

#include "support/SimDesktopTest.h"

#include <memory>

namespace quillora::test {

/** A fixture with an in-process `TestServer` on the virtual clock and an `HttpTestClient` for its API. */
class ServerTest : public SimDesktopTest
{
protected:
    void TearDown() override
    {
        m_client.reset();
        m_server.reset();
        SimDesktopTest::TearDown();
    }

    /** Replaces the server and the client by fresh ones; the server is started with `options`. */
    void startServer(const ServerOptions& options)
    {
        m_client.reset();
        m_server.reset();
        m_server = std::make_unique<TestServer>(clock(), options);
        m_client = std::make_unique<HttpTestClient>(m_server->apiUrl());
    }

    /** Destroys the server while the client, and the requests it has in progress, live on. */
    void destroyServer() { m_server.reset(); }

    TestServer& server() { return *m_server; }
    HttpTestClient& client() { return *m_client; }

private:
    std::unique_ptr<TestServer> m_server;
    std::unique_ptr<HttpTestClient> m_client;
};

} // namespace quillora::test
