#pragma once

#include "core/Error.h"

#include <QString>

namespace quillora {

/**
 * A request the service refuses: the HTTP status to answer with and the message for the body
 * {"error": message}. Thrown by the request handlers and turned into a response by `ApiServer`.
 */
class ApiError final : public Error
{
public:
    ApiError(int status, QString message);

    [[nodiscard]] int status() const { return m_status; }

    [[nodiscard]] QString localizedDescription() const override { return m_message; }

    /** A record in the domain "QuilloraServer.API" whose code is the HTTP status. */
    [[nodiscard]] ErrorRecord toRecord() const override;

    [[nodiscard]] ErrorPtr clone() const override;

private:
    int m_status;
    QString m_message;
};

} // namespace quillora
