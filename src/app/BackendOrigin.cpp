#include "app/BackendOrigin.h"

#include <QHostAddress>
#include <QUrl>

namespace quillora {

namespace {

bool isLoopbackHost(const QString& host)
{
    QHostAddress address;
    if (address.setAddress(host)) {
        return address.isLoopback();
    }
    return host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0;
}

} // namespace

QString BackendOrigin::baseURL(const QString& origin)
{
    QString trimmed = origin.trimmed();
    while (trimmed.endsWith(u'/')) {
        trimmed.chop(1);
    }
    return trimmed + QStringLiteral("/api/v1");
}

std::optional<QString> BackendOrigin::refusal(const QString& origin)
{
    const QString text = origin.trimmed();
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.isRelative() || url.host().isEmpty()) {
        return QStringLiteral("The backend address \"%1\" is not a valid URL.").arg(text);
    }
    if (url.hasQuery() || url.hasFragment()) {
        return QStringLiteral("The backend address \"%1\" must not carry a query or a fragment.").arg(text);
    }
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("https")) {
        return std::nullopt;
    }
    if (scheme == QLatin1String("http")) {
        if (isLoopbackHost(url.host())) {
            return std::nullopt;
        }
        return QStringLiteral("The backend address \"%1\" uses plain http to another machine; use https "
                              "(plain http is accepted only for 127.0.0.1, ::1 and localhost).")
            .arg(text);
    }
    return QStringLiteral("The backend address \"%1\" must be an https address.").arg(text);
}

} // namespace quillora
