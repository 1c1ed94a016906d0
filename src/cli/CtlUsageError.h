#pragma once

#include "core/ErrorRecord.h"

namespace quillora {

/** Bad usage or invalid input on the command line: the process ends with exit code 2. */
class CtlUsageError final : public Error
{
public:
    explicit CtlUsageError(QString message)
        : m_message(std::move(message))
    {
    }

    [[nodiscard]] QString localizedDescription() const override { return m_message; }

    [[nodiscard]] ErrorRecord toRecord() const override
    {
        return ErrorRecord(QStringLiteral("quilloractl"), 2,
                           QVariantMap{{QString::fromLatin1(kLocalizedDescriptionKey), m_message}});
    }

    [[nodiscard]] ErrorPtr clone() const override { return std::make_shared<CtlUsageError>(*this); }

private:
    QString m_message;
};

} // namespace quillora
