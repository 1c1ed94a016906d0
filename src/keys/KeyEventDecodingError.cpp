#include "keys/KeyEventDecodingError.h"

#include "platform/ErrorRecord.h"

namespace quillora {

namespace {

// The platform's coder error codes: a value that is missing, and data that is corrupt or of the
// wrong type.
constexpr qint64 kCoderValueNotFoundError = 4865;
constexpr qint64 kCoderReadCorruptError = 4864;

QString kindName(KeyEventDecodingError::Kind kind)
{
    switch (kind) {
    case KeyEventDecodingError::Kind::typeMismatch:
        return QStringLiteral("typeMismatch");
    case KeyEventDecodingError::Kind::keyNotFound:
        return QStringLiteral("keyNotFound");
    case KeyEventDecodingError::Kind::valueNotFound:
        return QStringLiteral("valueNotFound");
    case KeyEventDecodingError::Kind::dataCorrupted:
        return QStringLiteral("dataCorrupted");
    }
    return QString();
}

} // namespace

KeyEventDecodingError::KeyEventDecodingError(Kind kind, QStringList codingPath, QString description)
    : m_kind(kind)
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
    const bool missing = m_kind == Kind::keyNotFound || m_kind == Kind::valueNotFound;
    return ErrorRecord(QStringLiteral("NSCocoaErrorDomain"),
                       missing ? kCoderValueNotFoundError : kCoderReadCorruptError,
                       {{kLocalizedDescriptionKey, m_description}});
}

QString KeyEventDecodingError::debugDescription() const
{
    return QStringLiteral("KeyEventDecodingError.%1(codingPath: [%2], \"%3\")")
        .arg(kindName(m_kind), m_codingPath.join(QStringLiteral(", ")), m_description);
}

ErrorPtr KeyEventDecodingError::clone() const
{
    return std::make_shared<KeyEventDecodingError>(*this);
}

} // namespace quillora
