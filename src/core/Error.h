#pragma once

#include <QString>
#include <QVariantMap>

#include <exception>
#include <memory>

namespace quillora {

class ErrorRecord;

/**
 * Base of every error value the system throws: error records, toolkit errors, accessibility codes,
 * time-outs and key-poster errors. Each can describe itself to the user and convert itself into the
 * platform's error record (domain, code, dictionary).
 */
class Error : public std::exception
{
public:
    Error() = default;
    Error(const Error& other);
    Error& operator=(const Error& other);
    ~Error() override = default;

    /** The text shown to the user. */
    [[nodiscard]] virtual QString localizedDescription() const = 0;

    /** The platform form of this error: domain, integer code and dictionary. */
    [[nodiscard]] virtual ErrorRecord toRecord() const = 0;

    /** A developer-facing description naming the error's kind and fields, used in log lines. */
    [[nodiscard]] virtual QString debugDescription() const;

    /** A heap copy that keeps the dynamic type, for errors held inside other errors. */
    [[nodiscard]] virtual std::shared_ptr<const Error> clone() const = 0;

    [[nodiscard]] const char* what() const noexcept override;

private:
    mutable QByteArray m_what;
};

using ErrorPtr = std::shared_ptr<const Error>;

/**
 * Turns whatever was thrown into an error value: our own errors keep their type, other standard
 * exceptions become an error record in the domain "std", anything else an unknown error record.
 */
[[nodiscard]] ErrorPtr errorFromException(std::exception_ptr exception);

} // namespace quillora
