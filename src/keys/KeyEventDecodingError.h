#pragma once

#include "core/DecodingError.h"

#include <QStringList>

namespace quillora {

/**
 * Why a serialised key event could not be read: the kind of failure, where in the document it
 * happened (the member names and array indexes leading to it) and a description.
 */
class KeyEventDecodingError final : public DecodingError
{
public:
    /**
     * `kind` is typeMismatch for a value of the wrong type or a key or modifier object that does not
     * name exactly one case, keyNotFound or valueNotFound for a missing or null member, and
     * dataCorrupted when the bytes are not a JSON document.
     */
    KeyEventDecodingError(Kind kind, QStringList codingPath, QString description);

    [[nodiscard]] const QStringList& codingPath() const { return m_codingPath; }
    [[nodiscard]] const QString& description() const { return m_description; }

    /** The description, for example "Invalid number of keys found, expected one.". */
    [[nodiscard]] QString localizedDescription() const override;
    /** Domain "NSCocoaErrorDomain", code 4865 for a missing value, 4864 for any other failure. */
    [[nodiscard]] ErrorRecord toRecord() const override;
    [[nodiscard]] QString debugDescription() const override;
    [[nodiscard]] ErrorPtr clone() const override;

private:
    QStringList m_codingPath;
    QString m_description;
};

} // namespace quillora
