#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

namespace quillora {

/**
 * What the user is told when a request never reached the Quillora service or got no answer: one
 * sentence per way the service can be missing (nothing listening, an unknown host, a failed TLS
 * handshake, no answer in time), naming the address and what to do. The desktop panel and
 * quilloractl show the same text.
 */
class BackendFailureText final
{
public:
    BackendFailureText() = delete;

    /**
     * The sentence for a request to `url` that failed with `networkError` (a
     * QNetworkReply::NetworkError) before an HTTP answer came; `detail` is the network layer's
     * own words, used for the failures without a sentence of their own.
     */
    [[nodiscard]] static QString describe(int networkError, const QUrl& url, const QString& detail);

    /** The folders systemd reads user units from, most specific first ($XDG_CONFIG_HOME, …, /usr/lib). */
    [[nodiscard]] static QStringList userUnitFolders();

    /** True when the user unit quillora-server.service lies in one of `userUnitFolders()`. */
    [[nodiscard]] static bool serverUnitInstalled();
};

} // namespace quillora
