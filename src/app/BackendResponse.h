#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>

#include <optional>

namespace quillora {

/** What the backend answered: the raw body and, for an HTTP response, its status and headers. */
struct BackendResponse
{
    QByteArray body;
    /** The HTTP status; none when the answer was not an HTTP response. */
    std::optional<int> statusCode;
    QList<QPair<QByteArray, QByteArray>> headers;

    /** True for an HTTP response. */
    [[nodiscard]] bool isHttp() const { return statusCode.has_value(); }

    /** The HTTP status, or -1 when the answer was not an HTTP response. */
    [[nodiscard]] int status() const { return statusCode.value_or(-1); }

    /** True for an HTTP status from 200 to 299. */
    [[nodiscard]] bool isSuccess() const { return isHttp() && *statusCode >= 200 && *statusCode <= 299; }

    /** The value of the header `name` (compared without regard to case); none when it is absent. */
    [[nodiscard]] std::optional<QByteArray> header(const QByteArray& name) const
    {
        for (const auto& [key, value] : headers) {
            if (key.compare(name, Qt::CaseInsensitive) == 0) {
                return value;
            }
        }
        return std::nullopt;
    }
};

} // namespace quillora
