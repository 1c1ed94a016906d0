#pragma once

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonValue>
#include <QList>
#include <QNetworkAccessManager>
#include <QPair>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

namespace quillora::test {

/** One answer as the tests look at it. */
struct HttpResult
{
    /** The HTTP status; 0 when no HTTP answer arrived. */
    int status = 0;
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> headers;
    /** The transport error text, empty when an HTTP answer arrived. */
    QString transportError;

    /** The body parsed as JSON (null when it is not JSON). */
    [[nodiscard]] QJsonDocument json() const { return QJsonDocument::fromJson(body); }
    /** The value of header `name` (any case), or an empty array. */
    [[nodiscard]] QByteArray header(const QByteArray& name) const;
    /** The "error" text of an error body. */
    [[nodiscard]] QString error() const;
};

/**
 * A real HTTP client for tests: sends one request through QNetworkAccessManager and runs the Qt
 * event loop until the answer is in (an in-process server answers on the same loop). A request
 * that gets no answer within 10 seconds of real time is abandoned, so a broken server fails the
 * test instead of hanging it.
 */
class HttpTestClient final
{
public:
    /** `baseUrl` is the API root, e.g. "http://127.0.0.1:PORT/api/v1". */
    explicit HttpTestClient(QString baseUrl);

    /** Sent as "Authorization: Bearer TOKEN" from now on; empty to send no header. */
    void setBearerToken(const QString& token) { m_token = token; }

    /** Sends `method` to the API root + `path` with `body` (sent as JSON when not empty) and waits. */
    HttpResult send(const QByteArray& method, const QString& path, const QByteArray& body = {});

    /** Starts a request without waiting; `finished` tells when `result` is complete. */
    struct Pending
    {
        bool finished = false;
        HttpResult result;
    };
    std::shared_ptr<Pending> start(const QByteArray& method, const QString& path, const QByteArray& body = {});

    /** Runs the event loop until `pending` is finished (at most 10 s of real time); false on time-out. */
    static bool wait(const std::shared_ptr<Pending>& pending);

    HttpResult get(const QString& path) { return send("GET", path); }
    HttpResult post(const QString& path, const QJsonValue& json);
    HttpResult put(const QString& path, const QJsonValue& json);
    HttpResult remove(const QString& path) { return send("DELETE", path); }

private:
    QString m_baseUrl;
    QString m_token;
    QNetworkAccessManager m_network;
};

/** Runs the Qt event loop until `condition` holds or 10 s of real time pass; returns the condition. */
bool spinUntil(const std::function<bool()>& condition);

/** A self-signed certificate for 127.0.0.1 and its key, as PEM files. */
struct TestCertificate
{
    QString certificate;
    QString key;
};

/** Makes a `TestCertificate` in `folder` with openssl; nullopt when openssl cannot. */
std::optional<TestCertificate> makeTestCertificate(const QString& folder);

} // namespace quillora::test
