#pragma once

#include <QObject>
#include <QString>

#include <qcoro/qcorotask.h>

#include <optional>

namespace quillora {

class BackendClient;
class UserDefaults;

/**
 * The "Backend" settings: which service the application talks to and the session stored for it.
 * The address is kept in user defaults under "backendURL" and applied to the running client at
 * once; the token pair is stored and removed the way the command line's login and logout do.
 * Main thread.
 */
class BackendSettings final : public QObject
{
    Q_OBJECT

public:
    /** The user-defaults key of the chosen service address. */
    static const QString originKey;

    /** Settings over `userDefaults` for `client`, whose origin is `startupOrigin(userDefaults)`. */
    BackendSettings(UserDefaults& userDefaults, BackendClient& client, QObject* parent = nullptr);

    /**
     * The address to start with: QUILLORA_BACKEND_URL when set, else the stored address, else the
     * local reference service. Never fails.
     */
    [[nodiscard]] static QString startupOrigin(const UserDefaults& userDefaults);

    /** The address the client uses now. */
    [[nodiscard]] const QString& origin() const { return m_origin; }

    /**
     * Checks `origin` as the client does (https, or plain http to this machine only); when it is
     * acceptable, stores it, points the client at it and returns none. Otherwise returns the
     * refusal for the user and changes nothing.
     */
    [[nodiscard]] std::optional<QString> setOrigin(const QString& origin);

    /** True while a refresh token is stored. */
    [[nodiscard]] bool hasSession() const;

    /**
     * Stores a session's token pair (both trimmed). Returns a message and stores nothing when
     * either is empty.
     */
    [[nodiscard]] std::optional<QString> storeTokens(const QString& accessToken, const QString& refreshToken);

    /** Removes both tokens. Never fails. */
    void signOut();

    /**
     * Asks the service for its health and returns a sentence for the user: that it answered, with
     * what status, or why it could not be reached. Never throws.
     */
    QCoro::Task<QString> checkConnection();

Q_SIGNALS:
    /** The address or the stored session changed. */
    void changed();

private:
    UserDefaults& m_userDefaults;
    BackendClient& m_client;
    QString m_origin;
};

} // namespace quillora
