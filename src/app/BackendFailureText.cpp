#include "app/BackendFailureText.h"

#include <QDir>
#include <QFileInfo>
#include <QHostAddress>
#include <QNetworkReply>

#include <algorithm>

namespace quillora {

namespace {

const QString kSettingsHint = QStringLiteral("check Settings → Backend");

bool isLoopback(const QUrl& url)
{
    const QHostAddress address(url.host());
    return url.host() == QLatin1String("localhost") || (!address.isNull() && address.isLoopback());
}

} // namespace

QStringList BackendFailureText::userUnitFolders()
{
    const QString home = QDir::homePath();
    const QString config = qEnvironmentVariableIsEmpty("XDG_CONFIG_HOME") ? home + QStringLiteral("/.config")
                                                                          : qEnvironmentVariable("XDG_CONFIG_HOME");
    const QString data = qEnvironmentVariableIsEmpty("XDG_DATA_HOME") ? home + QStringLiteral("/.local/share")
                                                                      : qEnvironmentVariable("XDG_DATA_HOME");
    return {config + QStringLiteral("/systemd/user"),        QStringLiteral("/etc/systemd/user"),
            data + QStringLiteral("/systemd/user"),          QStringLiteral("/usr/local/lib/systemd/user"),
            QStringLiteral("/usr/local/share/systemd/user"), QStringLiteral("/usr/lib/systemd/user"),
            QStringLiteral("/usr/share/systemd/user")};
}

bool BackendFailureText::serverUnitInstalled()
{
    const QStringList folders = userUnitFolders();
    return std::any_of(folders.cbegin(), folders.cend(), [](const QString& folder) {
        return QFileInfo::exists(folder + QStringLiteral("/quillora-server.service"));
    });
}

QString BackendFailureText::describe(int networkError, const QUrl& url, const QString& detail)
{
    const QString origin = url.adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment |
                                        QUrl::RemoveUserInfo | QUrl::StripTrailingSlash)
                               .toString();
    switch (networkError) {
    case QNetworkReply::ConnectionRefusedError:
        // The user unit helps only where the service is expected on this machine.
        if (isLoopback(url) && serverUnitInstalled()) {
            return QStringLiteral("Cannot reach the Quillora service at %1. Start it with `systemctl --user start "
                                  "quillora-server` or %2.")
                .arg(origin, kSettingsHint);
        }
        return QStringLiteral("Cannot reach the Quillora service at %1. Start quillora-server there or %2.")
            .arg(origin, kSettingsHint);
    case QNetworkReply::HostNotFoundError:
        return QStringLiteral("Cannot reach the Quillora service at %1: the host \"%2\" is not known. Correct the "
                              "address in Settings → Backend.")
            .arg(origin, url.host());
    case QNetworkReply::SslHandshakeFailedError:
        return QStringLiteral("The secure connection to the Quillora service at %1 failed (%2). Check that the "
                              "address in Settings → Backend uses the right scheme (http or https) and host.")
            .arg(origin, detail);
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError:
        return QStringLiteral("The Quillora service at %1 did not answer in time. Try again, or %2.")
            .arg(origin, kSettingsHint);
    case QNetworkReply::RemoteHostClosedError:
        return QStringLiteral("The Quillora service at %1 closed the connection without answering. Try again, "
                              "or %2.")
            .arg(origin, kSettingsHint);
    default:
        return QStringLiteral("Cannot reach the Quillora service at %1: %2. Try again, or %3.")
            .arg(origin, detail, kSettingsHint);
    }
}

} // namespace quillora
