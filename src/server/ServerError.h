#pragma once

#include "core/Error.h"

#include <QString>

namespace quillora {

/**
 * A failure of the backend service that is not a client's mistake: a bad start-up option, a
 * database that cannot be opened or written, an address that cannot be listened on, a user that
 * already exists. The message is one complete sentence fit for an operator's terminal.
 */
class ServerError final : public Error
{
public:
    enum class Kind {
        /** A command-line option or environment variable has an unusable value. */
        InvalidOption,
        /** The database could not be opened, migrated, read or written. */
        Storage,
        /** The listening address could not be bound. */
        Network,
        /** The operation conflicts with stored data (for example, the user already exists). */
        Conflict,
    };

    ServerError(Kind kind, QString message);

    [[nodiscard]] Kind kind() const { return m_kind; }

    [[nodiscard]] QString localizedDescription() const override { return m_message; }

    /** A record in the domain "QuilloraServer" whose code is the kind's ordinal plus one. */
    [[nodiscard]] ErrorRecord toRecord() const override;

    [[nodiscard]] ErrorPtr clone() const override;

private:
    Kind m_kind;
    QString m_message;
};

} // namespace quillora
