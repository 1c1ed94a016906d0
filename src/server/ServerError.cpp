#include "server/ServerError.h"

#include "core/ErrorRecord.h"

namespace quillora {

ServerError::ServerError(Kind kind, QString message)
    : m_kind(kind)
    , m_message(std::move(message))
{
}

ErrorRecord ServerError::toRecord() const
{
    return ErrorRecord(QStringLiteral("QuilloraServer"), static_cast<qint64>(m_kind) + 1,
                       QVariantMap{{kLocalizedDescriptionKey, m_message}});
}

ErrorPtr ServerError::clone() const
{
    return std::make_shared<ServerError>(*this);
}

} // namespace quillora
