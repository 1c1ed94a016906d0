#pragma once

#include "app/AppLogger.h"
#include "app/BackendClient.h"
#include "app/PolishPreset.h"
#include "app/UpdateManager.h"
#include "core/ErrorRecord.h"
#include "support/EventLoopWait.h"
#include "support/ScriptedHttpServer.h"
#include "support/SimDesktopTest.h"

#include <QJsonObject>
#include <QStringList>

#include <algorithm>

#include <memory>

namespace quillora {

/**
 * A simulated desktop, a scripted backend on loopback, an update manager running version 1.0.0 and
 * a client of that backend; the application log is captured.
 */
class BackendFixture : public SimDesktopTest
{
protected:
    using Request = test::ScriptedHttpServer::Request;
    using Reply = test::ScriptedHttpServer::Reply;

    void SetUp() override
    {
        SimDesktopTest::SetUp();
        m_server = std::make_unique<test::ScriptedHttpServer>();
        m_updates = std::make_unique<UpdateManager>(desktop().userDefaults(), QStringLiteral("1.0.0"));
        m_client = std::make_unique<BackendClient>(m_server->origin(), *m_updates);
        AppLogger::setCapture([this](const QString& message, const QString&) { m_log.append(message); });
    }

    void TearDown() override
    {
        AppLogger::setCapture({});
        m_client.reset();
        m_updates.reset();
        m_server.reset();
        SimDesktopTest::TearDown();
    }

    test::ScriptedHttpServer& server() { return *m_server; }
    BackendClient& client() { return *m_client; }
    UpdateManager& updates() { return *m_updates; }
    const QStringList& log() const { return m_log; }

    /** True when a captured log line starts with `prefix`. */
    bool logged(const QString& prefix) const
    {
        return std::any_of(m_log.cbegin(), m_log.cend(),
                           [&prefix](const QString& line) { return line.startsWith(prefix); });
    }

    void signIn(const QString& accessToken, const QString& refreshToken)
    {
        desktop().userDefaults().set(QStringLiteral("backendAccessToken"), accessToken);
        desktop().userDefaults().set(QStringLiteral("backendRefreshToken"), refreshToken);
    }

    QString storedToken(const char* key) { return desktop().userDefaults().string(QString::fromLatin1(key)); }

    /** A preset as the backend lists it; its instruction is its name and "!". */
    static QJsonObject backendPreset(qint64 id, const QString& name)
    {
        return QJsonObject{
            {QStringLiteral("id"), id}, {QStringLiteral("name"), name}, {QStringLiteral("instruction"), name + u'!'}};
    }

    static QStringList namesOf(const QList<PolishPreset>& presets)
    {
        QStringList names;
        for (const PolishPreset& preset : presets) {
            names.append(preset.name);
        }
        return names;
    }

    /** A "/polish" answer with these variations, model "quill-1", 1.5 s and log id 7. */
    static Reply polishReply(const QList<QPair<QString, QString>>& variations)
    {
        QJsonObject results;
        for (const auto& [name, text] : variations) {
            results.insert(name, text);
        }
        return Reply::json(200, QJsonObject{{QStringLiteral("log_id"), 7},
                                            {QStringLiteral("results"), results},
                                            {QStringLiteral("model"), QStringLiteral("quill-1")},
                                            {QStringLiteral("duration"), 1.5}});
    }

    /** The error `task` ends with, or null when it succeeds. */
    template <typename T> static ErrorPtr failureOf(QCoro::Task<T> task)
    {
        try {
            test::awaitTask(std::move(task));
        } catch (...) {
            return errorFromException(std::current_exception());
        }
        return nullptr;
    }

private:
    std::unique_ptr<test::ScriptedHttpServer> m_server;
    std::unique_ptr<UpdateManager> m_updates;
    std::unique_ptr<BackendClient> m_client;
    QStringList m_log;
};

} // namespace quillora
