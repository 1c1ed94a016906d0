#pragma once

#include "core/Error.h"

namespace quillora {

/** A key-poster failure: a text that cannot be typed, or an application that is not running. */
class KeyPosterError final : public Error
{
public:
    explicit KeyPosterError(QString message);

    [[nodiscard]] const QString& message() const { return m_message; }

    /** The message itself. */
    [[nodiscard]] QString localizedDescription() const override;
    /** Domain "KeyPoster.KeyPosterError", code 1, with the message as localized description. */
    [[nodiscard]] ErrorRecord toRecord() const override;
    [[nodiscard]] QString debugDescription() const override;
    [[nodiscard]] ErrorPtr clone() const override;

private:
    QString m_message;
};

} // namespace quillora
