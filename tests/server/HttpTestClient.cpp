#include "HttpTestClient.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProcess>

namespace quillora::test {

namespace {

constexpr qint64 kPatienceMs = 10000;

QByteArray compact(const QJsonValue& json)
{
    return json.isArray() ? QJsonDocument(json.toArray()).toJson(QJsonDocument::Compact)
                          : QJsonDocument(json.toObject()).toJson(QJsonDocument::Compact);
}

} // namespace

bool spinUntil(const std::function<bool()>& condition)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > kPatienceMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    }
    return true;
}

std::optional<TestCertificate> makeTestCertificate(const QString& folder)
{
    const TestCertificate made{folder + QStringLiteral("/cert.pem"), folder + QStringLiteral("/key.pem")};
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
                  {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("ec"),
                   QStringLiteral("-pkeyopt"), QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes"),
                   QStringLiteral("-keyout"), made.key, QStringLiteral("-out"), made.certificate,
                   QStringLiteral("-days"), QStringLiteral("1"), QStringLiteral("-subj"),
                   QStringLiteral("/CN=127.0.0.1"), QStringLiteral("-addext"),
                   QStringLiteral("subjectAltName=IP:127.0.0.1")});
    if (!openssl.waitForFinished(30000) || openssl.exitCode() != 0) {
        return std::nullopt;
    }
    return made;
}

QByteArray HttpResult::header(const QByteArray& name) const
{
    for (const auto& [key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0) {
            return value;
        }
    }
    return {};
}

QString HttpResult::error() const
{
    return json().object().value(QLatin1String("error")).toString();
}

HttpTestClient::HttpTestClient(QString baseUrl)
    : m_baseUrl(std::move(baseUrl))
{
}

std::shared_ptr<HttpTestClient::Pending> HttpTestClient::start(const QByteArray& method, const QString& path,
                                                               const QByteArray& body)
{
    QNetworkRequest request(QUrl(m_baseUrl + path));
    if (!body.isEmpty()) {
        request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    }
    if (!m_token.isEmpty()) {
        request.setRawHeader("Authorization", "Bearer " + m_token.toUtf8());
    }
    auto pending = std::make_shared<Pending>();
    QNetworkReply* reply = m_network.sendCustomRequest(request, method, body);
    QObject::connect(reply, &QNetworkReply::finished, reply, [reply, pending] {
        HttpResult& result = pending->result;
        result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        result.body = reply->readAll();
        for (const auto& pair : reply->rawHeaderPairs()) {
            result.headers.append({pair.first, pair.second});
        }
        if (result.status == 0) {
            result.transportError = reply->errorString();
        }
        pending->finished = true;
        reply->deleteLater();
    });
    return pending;
}

bool HttpTestClient::wait(const std::shared_ptr<Pending>& pending)
{
    return spinUntil([&pending] { return pending->finished; });
}

HttpResult HttpTestClient::send(const QByteArray& method, const QString& path, const QByteArray& body)
{
    const auto pending = start(method, path, body);
    if (!wait(pending)) {
        HttpResult result;
        result.transportError = QStringLiteral("no answer within 10 s");
        return result;
    }
    return pending->result;
}

HttpResult HttpTestClient::post(const QString& path, const QJsonValue& json)
{
    return send("POST", path, compact(json));
}

HttpResult HttpTestClient::put(const QString& path, const QJsonValue& json)
{
    return send("PUT", path, compact(json));
}

} // namespace quillora::test
