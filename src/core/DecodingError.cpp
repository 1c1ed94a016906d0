#include "core/DecodingError.h"

#include "core/ErrorRecord.h"

namespace quillora {

namespace {

// The platform's coder error codes: a value that is missing, and data that is corrupt or of the
// wrong type.
constexpr qint64 kCoderValueNotFoundError = 4865;
constexpr qint64 kCoderReadCorruptError = 4864;

} // namespace

DecodingError::DecodingError(Kind kind)
    : m_kind(kind)
{
}

bool DecodingError::isMissingValue() const
{
    return m_kind == Kind::keyNotFound || m_kind == Kind::valueNotFound;
}

QString DecodingError::kindName(Kind kind)
{
    switch (kind) {
    case Kind::dataCorrupted:
        return QStringLiteral("dataCorrupted");
    case Kind::keyNotFound:
        return QStringLiteral("keyNotFound");
    case Kind::valueNotFound:
        return QStringLiteral("valueNotFound");
    case Kind::typeMismatch:
        return QStringLiteral("typeMismatch");
    }
    return {};
}

ErrorRecord DecodingError::coderRecord(QVariantMap userInfo) const
{
    return ErrorRecord(QStringLiteral("NSCocoaErrorDomain"),
                       isMissingValue() ? kCoderValueNotFoundError : kCoderReadCorruptError, std::move(userInfo));
}

} // namespace quillora
