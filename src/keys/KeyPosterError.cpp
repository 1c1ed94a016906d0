#include "keys/KeyPosterError.h"

#include "core/ErrorRecord.h"

namespace quillora {

KeyPosterError::KeyPosterError(QString message)
    : m_message(std::move(message))
{
}

QString KeyPosterError::localizedDescription() const
{
    return m_message;
}

ErrorRecord KeyPosterError::toRecord() const
{
    return ErrorRecord(QStringLiteral("KeyPoster.KeyPosterError"), 1, {{kLocalizedDescriptionKey, m_message}});
}

QString KeyPosterError::debugDescription() const
{
    return QStringLiteral("KeyPosterError(message: \"%1\")").arg(m_message);
}

ErrorPtr KeyPosterError::clone() const
{
    return std::make_shared<KeyPosterError>(*this);
}

} // namespace quillora
