#pragma once

#include "core/Error.h"
#include "core/ErrorRecord.h"

#include <QString>
#include <QVariantMap>

#include <optional>
#include <variant>

namespace quillora {

/**
 * The toolkit's error: nine cases, codes 1001 to 1009 in declaration order, each with its texts
 * and its error-dictionary form in the domain "CaptureKitErrorDomain".
 */
class CaptureKitError final : public Error
{
public:
    struct Timeout
    {
        QString operation;
        double duration = 0;
        bool operator==(const Timeout&) const = default;
    };
    /** A failed script. An absent `exitCode` reads as -1 in the description, as `from` restores it. */
    struct AppleScriptExecution
    {
        QString script;
        std::optional<qint64> exitCode;
        std::optional<QString> description;
        bool operator==(const AppleScriptExecution&) const = default;
    };
    struct UnsupportedBrowser
    {
        QString bundleID;
        bool operator==(const UnsupportedBrowser&) const = default;
    };
    struct BrowserNotFound
    {
        bool operator==(const BrowserNotFound&) const = default;
    };
    struct AccessibilityPermissionDenied
    {
        bool operator==(const AccessibilityPermissionDenied&) const = default;
    };
    struct ElementNotFound
    {
        QString description;
        bool operator==(const ElementNotFound&) const = default;
    };
    struct InvalidInput
    {
        QString parameter;
        QString reason;
        bool operator==(const InvalidInput&) const = default;
    };
    /** A wrapped foreign error; equal when both wrap the same error object. */
    struct SystemError
    {
        ErrorPtr underlying;
        bool operator==(const SystemError&) const = default;
    };
    struct UnknownError
    {
        QString description;
        bool operator==(const UnknownError&) const = default;
    };

    /** The cases in declaration order; the index plus 1001 is the error code. */
    using Case = std::variant<Timeout, AppleScriptExecution, UnsupportedBrowser, BrowserNotFound,
                              AccessibilityPermissionDenied, ElementNotFound, InvalidInput, SystemError, UnknownError>;

    static constexpr auto errorDomain = "CaptureKitErrorDomain";

    explicit CaptureKitError(Case errorCase);

    /** Factories, one per case that callers raise directly. */
    static CaptureKitError operationTimeout(QString operation, double duration);
    static CaptureKitError accessibilityPermissionRequired();
    static CaptureKitError elementNotFound(QString description);
    static CaptureKitError invalidParameter(QString parameter, QString reason);
    static CaptureKitError noBrowserFound();
    static CaptureKitError browserNotSupported(QString bundleID);
    static CaptureKitError system(ErrorPtr error);
    static CaptureKitError unknown(QString description);

    /** The case with its payload. */
    [[nodiscard]] const Case& errorCase() const { return m_case; }

    /** The payload when the error is of case `T`, else null. */
    template <typename T> [[nodiscard]] const T* as() const { return std::get_if<T>(&m_case); }

    /** 1001 to 1009, in case order. */
    [[nodiscard]] int errorCode() const { return 1001 + static_cast<int>(m_case.index()); }
    /** The case's user-facing sentence with its payload inserted. */
    [[nodiscard]] QString errorDescription() const;
    [[nodiscard]] QString failureReason() const;
    [[nodiscard]] QString recoverySuggestion() const;

    /** The three standard texts under the platform keys, then the case's own entries. */
    [[nodiscard]] QVariantMap errorUserInfo() const;

    /** Classification: timeouts, script failures, browser errors, accessibility errors, and errors worth retrying. */
    [[nodiscard]] bool isTimeout() const { return as<Timeout>() != nullptr; }
    [[nodiscard]] bool isAppleScriptError() const { return as<AppleScriptExecution>() != nullptr; }
    [[nodiscard]] bool isBrowserError() const;
    [[nodiscard]] bool isAccessibilityError() const;
    [[nodiscard]] bool isRecoverable() const;

    /** The platform record: this domain, `errorCode()` and `errorUserInfo()`. */
    [[nodiscard]] ErrorRecord asNSError() const;

    /**
     * Rebuilds the error from a platform record; none for another domain or a code outside 1001 to
     * 1009. Missing entries, and entries of the wrong type, take the case's defaults. Never fails.
     */
    [[nodiscard]] static std::optional<CaptureKitError> from(const ErrorRecord& record);

    [[nodiscard]] QString localizedDescription() const override { return errorDescription(); }
    [[nodiscard]] ErrorRecord toRecord() const override { return asNSError(); }

    /** The case name and its fields, e.g. `timeout(operation: "copy", duration: 0.25)`. */
    [[nodiscard]] QString debugDescription() const override;

    [[nodiscard]] ErrorPtr clone() const override;

    friend bool operator==(const CaptureKitError& a, const CaptureKitError& b) { return a.m_case == b.m_case; }

    /** The shortest decimal that reads back as `seconds`, with ".0" after a whole number. */
    [[nodiscard]] static QString formatDuration(double seconds);

private:
    Case m_case;
};

} // namespace quillora
