#pragma once

#include "core/Error.h"

#include <QString>
#include <QVariantMap>

namespace quillora {

/**
 * Base of the errors thrown when serialised data does not decode into the expected value: the kind
 * of failure and its bridge into the platform's coder error domain. Each decoder's error adds the
 * coding path in the form its callers read and the texts it shows.
 */
class DecodingError : public Error
{
public:
    enum class Kind {
        /** The data is not JSON, or a value has the right type but an unusable content. */
        dataCorrupted,
        /** A required key is missing. */
        keyNotFound,
        /** A required key holds null. */
        valueNotFound,
        /** A value has the wrong type, or an object does not have the expected shape. */
        typeMismatch,
    };

    [[nodiscard]] Kind kind() const { return m_kind; }

    /** Whether the failure is a missing value (a missing key, or a key holding null). */
    [[nodiscard]] bool isMissingValue() const;

    /** The kind's name as it appears in debug descriptions, for example "typeMismatch". */
    [[nodiscard]] static QString kindName(Kind kind);

protected:
    explicit DecodingError(Kind kind);

    /**
     * A record in the platform's coder domain "NSCocoaErrorDomain" carrying `userInfo`: code 4865
     * for a missing value, 4864 for any other failure.
     */
    [[nodiscard]] ErrorRecord coderRecord(QVariantMap userInfo) const;

private:
    Kind m_kind;
};

} // namespace quillora
