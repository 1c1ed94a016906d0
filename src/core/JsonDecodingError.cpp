#include "core/JsonDecodingError.h"

#include "core/ErrorRecord.h"

namespace quillora {

JsonDecodingError::JsonDecodingError(Kind kind, QString codingPath, QString detail)
    : DecodingError(kind)
    , m_codingPath(std::move(codingPath))
    , m_detail(std::move(detail))
{
}

QString JsonDecodingError::localizedDescription() const
{
    return isMissingValue() ? QStringLiteral("The data couldn’t be read because it is missing.")
                            : QStringLiteral("The data couldn’t be read because it isn’t in the correct format.");
}

ErrorRecord JsonDecodingError::toRecord() const
{
    return coderRecord({{kLocalizedDescriptionKey, localizedDescription()},
                        {QStringLiteral("NSDebugDescription"), m_detail},
                        {QStringLiteral("NSCodingPath"), m_codingPath}});
}

QString JsonDecodingError::debugDescription() const
{
    return QStringLiteral("JsonDecodingError.%1(path: \"%2\", detail: \"%3\")")
        .arg(kindName(kind()), m_codingPath, m_detail);
}

ErrorPtr JsonDecodingError::clone() const
{
    return std::make_shared<JsonDecodingError>(*this);
}

} // namespace quillora
