#pragma once

#include "platform/Error.h"

#include <QStringList>

namespace quillora {

/**
 * Why a serialised key event could not be read: the kind of failure, where in the document it
 * happened (the member names and array indexes leading to it) and a description.
 */
class KeyEventDecodingError final : public Error
{
public:
    enum class Kind {
        /** A value has the wrong type, or a key or modifier object does not name exactly one case. */
        typeMismatch,
        /** A required member is missing. */
        keyNotFound,
        /** A required member is null. */
        valueNotFound,
        /** The bytes are not a JSON document. */
        dataCorrupted,
    };

    KeyEventDecodingError(Kind kind, QStringList codingPath, QString description);

    [[nodiscard]] Kind kind() const { return m_kind; }
    [[nodiscard]] const QStringList& codingPath() const { return m_codingPath; }
    [[nodiscard]] const QString& description() const { return m_description; }

    /** The description, for example "Invalid number of keys found, expected one.". */
    [[nodiscard]] QString localizedDescription() const override;
    /** Domain "NSCocoaErrorDomain", code 4865 for a missing value, 4864 for any other failure. */
    [[nodiscard]] ErrorRecord toRecord() const override;
    [[nodiscard]] QString debugDescription() const override;
    [[nodiscard]] ErrorPtr clone() const override;

private:
    Kind m_kind;
    QStringList m_codingPath;
    QString m_description;
};

} // namespace quillora
