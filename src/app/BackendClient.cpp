#include "app/BackendClient.h"

#include "app/AppInfo.h"
#include "app/AppLogger.h"
#include "app/BackendFailureText.h"
#include "app/BackendOrigin.h"
#include "app/UpdateManager.h"
#include "core/AsyncEvent.h"
#include "core/Clock.h"
#include "core/Detached.h"
#include "core/ErrorRecord.h"
#include "core/Utf8Text.h"
#include "platform/Platform.h"
#include "platform/UserDefaults.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <qcoro/qcoronetworkreply.h>

namespace quillora {

/** The one refresh in flight, shared by every request that waits for it. */
struct BackendClient::RefreshFlight
{
    AsyncEvent done;
    std::optional<LoginResponse> result;
    std::exception_ptr error;
};

namespace {

const QString kLogFile = QStringLiteral("quillora/BackendClient");
const QString kDomain = QStringLiteral("BackendClient");
const QString kAccessTokenKey = QStringLiteral("backendAccessToken");
const QString kRefreshTokenKey = QStringLiteral("backendRefreshToken");
const QString kDefaultOrigin = QStringLiteral("http://127.0.0.1:8740");
constexpr int kTimeoutMilliseconds = 60'000;
constexpr qint64 kRefusedOriginCode = 1;

// Owns a reply until the request is over. The reply is a child of the network manager and goes
// with it when the client is destroyed mid-request, hence the guarded pointer.
class ReplyHolder
{
public:
    explicit ReplyHolder(QNetworkReply* reply)
        : m_reply(reply)
    {
    }
    ReplyHolder(const ReplyHolder&) = delete;
    ReplyHolder& operator=(const ReplyHolder&) = delete;
    ~ReplyHolder()
    {
        if (m_reply) {
            m_reply->deleteLater();
        }
    }

    [[nodiscard]] QNetworkReply* get() const { return m_reply.data(); }

private:
    QPointer<QNetworkReply> m_reply;
};

// Ends when the reply has finished, or once it is gone: a reply destroyed with its network manager
// (the client destroyed mid-request) never finishes. That wake-up is queued, so the waiting task
// resumes after the destruction instead of inside it.
QCoro::Task<> replyEnded(QNetworkReply* reply)
{
    const auto ended = std::make_shared<AsyncEvent>();
    QObject::connect(reply, &QNetworkReply::finished, reply, [ended] { ended->set(); });
    QObject::connect(
        reply, &QObject::destroyed, QCoreApplication::instance(), [ended] { ended->set(); }, Qt::QueuedConnection);
    if (reply->isFinished()) {
        ended->set();
    }
    co_await ended->wait();
}

ErrorRecord describedError(const QString& domain, qint64 code, const QString& description)
{
    return ErrorRecord(domain, code, QVariantMap{{QString::fromLatin1(kLocalizedDescriptionKey), description}});
}

QUrl parseUrl(const QString& text)
{
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.isRelative() || url.host().isEmpty()) {
        throw describedError(QStringLiteral("QUrl"), 1,
                             QStringLiteral("The address \"%1\" is not a valid URL.").arg(text));
    }
    return url;
}

// The framing every call shares, the refresh included: time-out, redirects and the JSON content type.
QNetworkRequest baseRequest(const QUrl& url)
{
    QNetworkRequest request(url);
    request.setTransferTimeout(kTimeoutMilliseconds);
    // Redirects to another origin are not followed, so the bearer token never leaves the backend.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::SameOriginRedirectPolicy);
    request.setRawHeader("Content-Type", "application/json");
    return request;
}

// Qt reports HTTP error statuses as reply errors too; those in the content and server ranges
// still carry a complete HTTP response, everything else is a failure of the transport.
bool isStatusError(QNetworkReply::NetworkError error)
{
    return error == QNetworkReply::NoError ||
           (error >= QNetworkReply::ContentAccessDenied && error <= QNetworkReply::UnknownContentError) ||
           (error >= QNetworkReply::InternalServerError && error <= QNetworkReply::UnknownServerError);
}

ErrorRecord transportError(const QNetworkReply& reply)
{
    // Requests are never aborted here, so a cancelled transfer is the transfer time-out.
    const QNetworkReply::NetworkError error =
        reply.error() == QNetworkReply::OperationCanceledError ? QNetworkReply::TimeoutError : reply.error();
    return describedError(QStringLiteral("QNetworkReply"), error,
                          BackendFailureText::describe(error, reply.url(), reply.errorString()));
}

std::optional<QString> storedString(const QString& key)
{
    const QString value = Platform::current().userDefaults().string(key);
    return value.isNull() ? std::nullopt : std::optional<QString>(value);
}

} // namespace

BackendClient::BackendClient(const QString& origin, UpdateManager& updateManager, QObject* parent)
    : QObject(parent)
    , m_updateManager(&updateManager)
    , m_network(new QNetworkAccessManager(this))
{
    setOrigin(origin);
}

void BackendClient::setOrigin(const QString& origin)
{
    m_baseURL = BackendOrigin::baseURL(origin);
    m_originError.reset();
    if (const std::optional<QString> refusal = BackendOrigin::refusal(origin)) {
        m_originError = std::make_shared<ErrorRecord>(describedError(kDomain, kRefusedOriginCode, *refusal));
        AppLogger::log(QStringLiteral("❌ ") + *refusal, kLogFile);
    }
}

BackendClient::~BackendClient() = default;

QString BackendClient::configuredOrigin()
{
    const QString configured = qEnvironmentVariable("QUILLORA_BACKEND_URL").trimmed();
    return configured.isEmpty() ? kDefaultOrigin : configured;
}

std::optional<QString> BackendClient::accessToken() const
{
    return storedString(kAccessTokenKey);
}

std::optional<QString> BackendClient::refreshToken() const
{
    return storedString(kRefreshTokenKey);
}

void BackendClient::storeTokens(const QString& accessToken, const QString& refreshToken)
{
    UserDefaults& defaults = Platform::current().userDefaults();
    defaults.set(kAccessTokenKey, accessToken);
    defaults.set(kRefreshTokenKey, refreshToken);
}

void BackendClient::removeTokens()
{
    UserDefaults& defaults = Platform::current().userDefaults();
    defaults.remove(kAccessTokenKey);
    defaults.remove(kRefreshTokenKey);
}

void BackendClient::endSession()
{
    removeTokens();
    Q_EMIT sessionEnded();
}

QCoro::Task<BackendResponse> BackendClient::request(QString path, QString method, std::optional<QJsonObject> body)
{
    const QString url = path.startsWith(u'/') ? m_baseURL + path : m_baseURL + u'/' + path;
    co_return co_await authenticatedRequest(url, std::move(method), std::move(body), Attempt::First);
}

QCoro::Task<BackendResponse> BackendClient::authenticatedRequest(QString url, QString method,
                                                                 std::optional<QJsonObject> body, Attempt attempt)
{
    throwIfOriginRefused();
    QNetworkRequest request = baseRequest(parseUrl(url));
    const QDate today = Platform::current().clock().wallNow().toLocalTime().date();
    request.setRawHeader("X-User-Local-Date", today.toString(QStringLiteral("yyyy-MM-dd")).toLatin1());
    request.setRawHeader("X-App-Version", AppInfo::version().toUtf8());
    if (const std::optional<QString> token = accessToken()) {
        request.setRawHeader("Authorization", "Bearer " + token->toUtf8());
    }
    const QByteArray payload = body ? QJsonDocument(*body).toJson(QJsonDocument::Compact) : QByteArray();

    const LifetimeGuard::Watch alive = m_lifetime.watch();
    const BackendResponse response = co_await send(std::move(request), method.toUtf8(), payload);
    if (!alive || !response.isHttp()) {
        co_return response;
    }
    announceUpdate(response);
    if (response.status() != 401) {
        co_return response;
    }
    if (attempt == Attempt::First && refreshToken()) {
        // Only the service refusing the refresh token ends the session. A failure on the way (no
        // connection, a time-out, an unreadable answer) keeps the tokens: the call fails with it,
        // and the next call tries again.
        bool refused = false;
        std::exception_ptr failure;
        try {
            co_await refresh();
        } catch (const ErrorRecord& error) {
            refused = error.domain() == kDomain;
            failure = std::current_exception();
        } catch (...) {
            failure = std::current_exception();
        }
        // The client may have been destroyed while the refresh was under way.
        if (!alive) {
            co_return response;
        }
        if (!failure) {
            co_return co_await authenticatedRequest(url, method, body, Attempt::Retry);
        }
        if (!refused) {
            std::rethrow_exception(failure);
        }
        endSession();
    }
    if (const std::optional<QString> text = decodeUtf8(response.body)) {
        AppLogger::log(QStringLiteral("❌ 401 Unauthorized: ") + *text, kLogFile);
    }
    co_return response;
}

QCoro::Task<LoginResponse> BackendClient::refresh()
{
    std::shared_ptr<RefreshFlight> flight = m_refreshFlight;
    if (!flight) {
        flight = std::make_shared<RefreshFlight>();
        m_refreshFlight = flight;
        runDetached(runRefresh(flight));
    }
    co_await flight->done.wait();
    if (flight->error) {
        std::rethrow_exception(flight->error);
    }
    co_return *flight->result;
}

QCoro::Task<> BackendClient::runRefresh(std::shared_ptr<RefreshFlight> flight)
{
    const LifetimeGuard::Watch alive = m_lifetime.watch();
    try {
        flight->result = co_await performRefresh();
    } catch (...) {
        flight->error = std::current_exception();
    }
    // Emptied before anyone resumes, so that the next 401 after this one starts a fresh refresh.
    if (alive && m_refreshFlight == flight) {
        m_refreshFlight.reset();
    }
    flight->done.set();
}

QCoro::Task<LoginResponse> BackendClient::performRefresh()
{
    throwIfOriginRefused();
    const std::optional<QString> token = refreshToken();
    if (!token) {
        throw describedError(kDomain, 401, QStringLiteral("No refresh token available"));
    }
    QNetworkRequest request = baseRequest(parseUrl(m_baseURL + QStringLiteral("/auth/refresh")));
    const QByteArray payload =
        QJsonDocument(QJsonObject{{QStringLiteral("refresh_token"), *token}}).toJson(QJsonDocument::Compact);
    const BackendResponse response = co_await send(std::move(request), QByteArrayLiteral("POST"), payload);
    if (response.status() == 200) {
        LoginResponse login = LoginResponse::decode(response.body);
        storeTokens(login.accessToken, login.refreshToken);
        co_return login;
    }
    // Any other answer means the refresh token is no longer accepted.
    removeTokens();
    throw describedError(kDomain, response.statusCode.value_or(401), QStringLiteral("Refresh failed"));
}

QCoro::Task<> BackendClient::logInteraction(qint64 logId, QString action, QString presetName)
{
    const QJsonObject interaction{{QStringLiteral("action"), action}, {QStringLiteral("preset_name"), presetName}};
    const QJsonObject body{{QStringLiteral("interaction"), interaction}};
    try {
        co_await request(QStringLiteral("/polishing/%1/interactions").arg(logId), QStringLiteral("POST"), body);
    } catch (...) {
        // What the user did with a variation is only statistics; a lost report is not worth telling.
    }
}

QCoro::Task<BackendResponse> BackendClient::send(QNetworkRequest request, QByteArray method, QByteArray payload)
{
    const ReplyHolder holder(m_network->sendCustomRequest(request, method, payload));
    co_await replyEnded(holder.get());
    QNetworkReply* reply = holder.get();
    if (reply == nullptr) {
        throw describedError(QStringLiteral("QNetworkReply"), QNetworkReply::OperationCanceledError,
                             QStringLiteral("The request was cancelled."));
    }
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!isStatusError(reply->error()) || (!status.isValid() && reply->error() != QNetworkReply::NoError)) {
        throw transportError(*reply);
    }
    BackendResponse response;
    response.body = reply->readAll();
    if (status.isValid()) {
        response.statusCode = status.toInt();
        response.headers = reply->rawHeaderPairs();
    }
    co_return response;
}

void BackendClient::announceUpdate(const BackendResponse& response)
{
    const std::optional<QByteArray> version = response.header(QByteArrayLiteral("X-Latest-App-Version"));
    const std::optional<QByteArray> urlText = response.header(QByteArrayLiteral("X-Latest-App-URL"));
    if (!version || !urlText) {
        return;
    }
    // The address is later opened in the user's browser as given, so only a web page is accepted.
    const QUrl url(QString::fromUtf8(*urlText), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("https") && scheme != QLatin1String("http"))) {
        return;
    }
    UpdateManager* manager = m_updateManager.data();
    if (manager != nullptr) {
        manager->notify(QString::fromUtf8(*version), url);
    }
}

void BackendClient::throwIfOriginRefused() const
{
    if (m_originError) {
        throw ErrorRecord(*m_originError);
    }
}

} // namespace quillora
