#pragma once

#include "core/Error.h"

#include <QString>

namespace quillora {

/**
 * A table, word list or dictionary of the rules engine that cannot be read or holds a malformed
 * line. The message names the file and is one complete sentence fit for an operator's terminal.
 */
class RulesDataError final : public Error
{
public:
    explicit RulesDataError(QString message);

    [[nodiscard]] QString localizedDescription() const override { return m_message; }

    /** A record in the domain "QuilloraRules" with code 1. */
    [[nodiscard]] ErrorRecord toRecord() const override;

    [[nodiscard]] ErrorPtr clone() const override;

private:
    QString m_message;
};

} // namespace quillora
