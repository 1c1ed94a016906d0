#include "rules/RulesDataError.h"

#include "core/ErrorRecord.h"

namespace quillora {

RulesDataError::RulesDataError(QString message)
    : m_message(std::move(message))
{
}

ErrorRecord RulesDataError::toRecord() const
{
    return ErrorRecord(QStringLiteral("QuilloraRules"), 1, QVariantMap{{kLocalizedDescriptionKey, m_message}});
}

ErrorPtr RulesDataError::clone() const
{
    return std::make_shared<RulesDataError>(*this);
}

} // namespace quillora
