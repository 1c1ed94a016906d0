#pragma once

#include "core/DecodingError.h"

#include <QString>

namespace quillora {

/**
 * Thrown when JSON text or a JSON value does not decode into the expected record. It names what
 * went wrong and where: the coding path of the offending value ("polishedResults[2].id"), empty for
 * the top-level value.
 */
class JsonDecodingError final : public DecodingError
{
public:
    JsonDecodingError(Kind kind, QString codingPath, QString detail);

    [[nodiscard]] const QString& codingPath() const { return m_codingPath; }
    [[nodiscard]] const QString& detail() const { return m_detail; }

    /** The user-facing sentence: the data is missing, or is not in the correct format. */
    [[nodiscard]] QString localizedDescription() const override;

    /** A record in the platform's coder domain: 4865 for a missing value, 4864 for any other failure. */
    [[nodiscard]] ErrorRecord toRecord() const override;

    /** The kind, the coding path and the detail, for log lines. */
    [[nodiscard]] QString debugDescription() const override;

    [[nodiscard]] ErrorPtr clone() const override;

private:
    QString m_codingPath;
    QString m_detail;
};

} // namespace quillora
