#pragma once

#include "core/ErrorRecord.h"

namespace quillora {

/**
 * Thrown by `withTimeout` when the time limit passes before the operation ends. It has no fields
 * and no texts of its own; it is never converted into the toolkit's timeout case.
 */
class TimeoutError final : public Error
{
public:
    [[nodiscard]] QString localizedDescription() const override
    {
        return QStringLiteral("The operation couldn’t be completed. (CaptureKit.TimeoutError error 1.)");
    }
    [[nodiscard]] ErrorRecord toRecord() const override
    {
        return ErrorRecord(QStringLiteral("CaptureKit.TimeoutError"), 1,
                           {{kLocalizedDescriptionKey, localizedDescription()}});
    }
    [[nodiscard]] QString debugDescription() const override { return QStringLiteral("TimeoutError()"); }
    [[nodiscard]] ErrorPtr clone() const override { return std::make_shared<TimeoutError>(*this); }
};

} // namespace quillora
