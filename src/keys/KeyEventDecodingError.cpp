#include "keys/KeyEventDecodingError.h"

#include "core/ErrorRecord.h"

namespace quillora {

KeyEventDecodingError::KeyEventDecodingError(Kind kind, QStringList codingPath, QString description)
    : DecodingError(kind)
    , m_codingPath(std::move(codingPath))
    , m_description(std::move(description))
{
}

QString KeyEventDecodingError::localizedDescription() const
{
    return m_description;
}

ErrorRecord KeyEventDecodingError::toRecord() const
{
    return coderRecord({{kLocalizedDescriptionKey, m_description}});
}

QString KeyEventDecodingError::debugDescription() const
{
    return QStringLiteral("KeyEventDecodingError.%1(codingPath: [%2], \"%3\")")
        .arg(kindName(kind()), m_codingPath.join(QStringLiteral(", ")), m_description);
}

ErrorPtr KeyEventDecodingError::clone() const
{
    return std::make_shared<KeyEventDecodingError>(*this);
}

} // namespace quillora
