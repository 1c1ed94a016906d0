#pragma once

#include "app/BackendResponse.h"
#include "app/LoginResponse.h"

#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <QString>

#include <qcoro/qcorotask.h>

#include <memory>
#include <optional>

class QNetworkAccessManager;
class QNetworkRequest;

namespace quillora {

class ErrorRecord;
class UpdateManager;

/**
 * The one client of the backend service. Frames every request the same way (base path
 * "/api/v1", JSON content type, the user's local date, the application version and the bearer
 * token from user defaults), repairs one 401 per request by exchanging the refresh token for a new
 * pair (concurrent 401s share one refresh), and hands announced versions to the update notice.
 * Only status 401 is interpreted; callers judge every other status themselves. Main thread.
 *
 * The origin must be https, or plain http on this machine (127.0.0.1, ::1, localhost); any other
 * origin is refused when the client is made, and every request then fails without sending anything.
 */
class BackendClient final : public QObject
{
    Q_OBJECT

public:
    /** Whether a call is the first attempt or the one repetition after a refresh. */
    enum class Attempt {
        First,
        Retry,
    };

    /**
     * A client of the backend at `origin` (scheme and host, optionally a port and a path prefix).
     * Announced versions go to `updateManager`, or to `UpdateManager::shared()` when it is null.
     */
    explicit BackendClient(const QString& origin, UpdateManager* updateManager = nullptr, QObject* parent = nullptr);
    ~BackendClient() override;

    /** The process-wide client on `configuredOrigin()`, created on first use. Main thread. */
    static BackendClient& shared();

    /** Destroys the process-wide client so that the next `shared()` makes a fresh one (tests). */
    static void resetShared();

    /** QUILLORA_BACKEND_URL when it is set, else "http://127.0.0.1:8740". */
    [[nodiscard]] static QString configuredOrigin();

    /** The origin followed by "/api/v1", without a trailing slash. */
    [[nodiscard]] const QString& baseURL() const { return m_baseURL; }

    /**
     * Points the client at `origin` from the next request on, checking it as the constructor does.
     * Requests already on their way finish against the old origin. Never fails: a refused origin
     * makes every later request fail, as `originError()` tells.
     */
    void setOrigin(const QString& origin);

    /** Why the origin was refused; null when it is usable. */
    [[nodiscard]] std::shared_ptr<const ErrorRecord> originError() const { return m_originError; }

    /** The stored access token, read from user defaults on every call. */
    [[nodiscard]] std::optional<QString> accessToken() const;

    /** The stored refresh token, read from user defaults on every call. */
    [[nodiscard]] std::optional<QString> refreshToken() const;

    /** Stores a new session's token pair in user defaults (the sign-in). */
    static void storeTokens(const QString& accessToken, const QString& refreshToken);

    /** Removes both tokens from user defaults (signing out). */
    static void removeTokens();

    /** Removes both tokens and tells `sessionEnded` listeners. */
    void endSession();

    /**
     * Sends `method` to `baseURL` + `path` (a "/" is put between them when `path` lacks one) with
     * `body` as compact JSON. Returns the raw answer, whatever its status. Throws the refused-origin
     * error, the bad-URL error, or the transport error (connection, time-out after 60 seconds).
     */
    QCoro::Task<BackendResponse> request(QString path, QString method, std::optional<QJsonObject> body = std::nullopt);

    /**
     * Sends one request to the full URL text `url`. On a 401 of a first attempt with a refresh
     * token stored, refreshes and repeats the request once; if that fails the session ends and the
     * first 401 is returned. Throws as `request`.
     */
    QCoro::Task<BackendResponse> authenticatedRequest(QString url, QString method, std::optional<QJsonObject> body,
                                                      Attempt attempt = Attempt::First);

    /**
     * Exchanges the refresh token for a new pair and stores it. Joins the refresh already in flight
     * when there is one. Throws "No refresh token available" (BackendClient 401), "Refresh failed"
     * (BackendClient, the status; both tokens removed), a transport error or a JSON decoding error.
     */
    QCoro::Task<LoginResponse> refresh();

    /**
     * Tells the backend what the user did (`action`, e.g. "copy" or "use") with the variation of
     * `presetName` of polishing `logId`. Never fails: every failure is dropped.
     */
    QCoro::Task<> logInteraction(qint64 logId, QString action, QString presetName);

Q_SIGNALS:
    /** The session was ended because its tokens could not be renewed, or by `endSession()`. */
    void sessionEnded();

private:
    struct RefreshFlight;

    QCoro::Task<BackendResponse> send(QNetworkRequest request, QByteArray method, QByteArray payload);
    QCoro::Task<> runRefresh(std::shared_ptr<RefreshFlight> flight);
    QCoro::Task<LoginResponse> performRefresh();
    void announceUpdate(const BackendResponse& response);
    void throwIfOriginRefused() const;

    QString m_baseURL;
    std::shared_ptr<const ErrorRecord> m_originError;
    QPointer<UpdateManager> m_updateManager;
    bool m_usesSharedUpdateManager = false;
    QNetworkAccessManager* m_network = nullptr;
    std::shared_ptr<RefreshFlight> m_refreshFlight;
};

} // namespace quillora
