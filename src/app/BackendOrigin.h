#pragma once

#include <QString>

#include <optional>

namespace quillora {

/** Checks and frames the backend's origin. */
class BackendOrigin final
{
public:
    BackendOrigin() = delete;

    /** The origin without trailing slashes, followed by "/api/v1". */
    [[nodiscard]] static QString baseURL(const QString& origin);

    /**
     * Why `origin` cannot be used, as one sentence for the user; none when it can. Accepted: an
     * https URL with a host, or an http URL whose host is this machine (a loopback address or
     * "localhost"), since plain http elsewhere would expose the session tokens on the network.
     */
    [[nodiscard]] static std::optional<QString> refusal(const QString& origin);
};

} // namespace quillora
