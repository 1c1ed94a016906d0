#include "server/api/ApiError.h"

#include "core/ErrorRecord.h"

namespace quillora {

ApiError::ApiError(int status, QString message)
    : m_status(status)
    , m_message(std::move(message))
{
}

ErrorRecord ApiError::toRecord() const
{
    return ErrorRecord(QStringLiteral("QuilloraServer.API"), m_status,
                       QVariantMap{{kLocalizedDescriptionKey, m_message}});
}

ErrorPtr ApiError::clone() const
{
    return std::make_shared<ApiError>(*this);
}

} // namespace quillora
