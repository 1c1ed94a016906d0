#include "capture/CaptureKitError.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace quillora {

namespace {

template <typename... Handlers> struct Overloaded : Handlers...
{
    using Handlers::operator()...;
};
template <typename... Handlers> Overloaded(Handlers...) -> Overloaded<Handlers...>;

QString quoted(const QString& text)
{
    return u'"' + text + u'"';
}

std::optional<QString> textEntry(const QVariantMap& userInfo, const QString& key)
{
    const QVariant value = userInfo.value(key);
    return value.typeId() == QMetaType::QString ? std::optional(value.toString()) : std::nullopt;
}

// Numbers in a dictionary may arrive as any of the numeric variant types; other types (text,
// booleans) count as missing.
std::optional<double> numberEntry(const QVariantMap& userInfo, const QString& key)
{
    const QVariant value = userInfo.value(key);
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return value.toDouble();
    default:
        return std::nullopt;
    }
}

std::optional<qint64> integerEntry(const QVariantMap& userInfo, const QString& key)
{
    const QVariant value = userInfo.value(key);
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
        return value.toLongLong();
    case QMetaType::ULongLong: {
        const qulonglong unsignedValue = value.toULongLong();
        return unsignedValue <= static_cast<qulonglong>(std::numeric_limits<qint64>::max())
                   ? std::optional(static_cast<qint64>(unsignedValue))
                   : std::nullopt;
    }
    case QMetaType::Double:
    case QMetaType::Float: {
        // A whole number held as a floating-point value still reads as an integer.
        const double number = value.toDouble();
        const bool integral =
            std::isfinite(number) && std::trunc(number) == number && number >= -0x1p63 && number < 0x1p63;
        return integral ? std::optional(static_cast<qint64>(number)) : std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

ErrorPtr underlyingEntry(const QVariantMap& userInfo)
{
    const QVariant value = userInfo.value(kUnderlyingErrorKey);
    return value.typeId() == qMetaTypeId<ErrorPtr>() ? value.value<ErrorPtr>() : nullptr;
}

} // namespace

CaptureKitError::CaptureKitError(Case errorCase)
    : m_case(std::move(errorCase))
{
}

CaptureKitError CaptureKitError::operationTimeout(QString operation, double duration)
{
    return CaptureKitError(Timeout{std::move(operation), duration});
}

CaptureKitError CaptureKitError::accessibilityPermissionRequired()
{
    return CaptureKitError(AccessibilityPermissionDenied{});
}

CaptureKitError CaptureKitError::elementNotFound(QString description)
{
    return CaptureKitError(ElementNotFound{std::move(description)});
}

CaptureKitError CaptureKitError::invalidParameter(QString parameter, QString reason)
{
    return CaptureKitError(InvalidInput{std::move(parameter), std::move(reason)});
}

CaptureKitError CaptureKitError::noBrowserFound()
{
    return CaptureKitError(BrowserNotFound{});
}

CaptureKitError CaptureKitError::browserNotSupported(QString bundleID)
{
    return CaptureKitError(UnsupportedBrowser{std::move(bundleID)});
}

CaptureKitError CaptureKitError::system(ErrorPtr error)
{
    return CaptureKitError(SystemError{std::move(error)});
}

CaptureKitError CaptureKitError::unknown(QString description)
{
    return CaptureKitError(UnknownError{std::move(description)});
}

QString CaptureKitError::errorDescription() const
{
    return std::visit(
        Overloaded{
            [](const Timeout& e) {
                return QStringLiteral("Operation '") + e.operation + QStringLiteral("' timed out after ") +
                       formatDuration(e.duration) + QStringLiteral(" seconds");
            },
            [](const AppleScriptExecution& e) {
                return QStringLiteral("AppleScript execution failed with exit code ") +
                       QString::number(e.exitCode.value_or(-1)) + QStringLiteral(": ") +
                       e.description.value_or(QStringLiteral("Unknown error"));
            },
            [](const UnsupportedBrowser& e) {
                return QStringLiteral("Browser '") + e.bundleID +
                       QStringLiteral("' is not supported for AppleScript operations");
            },
            [](const BrowserNotFound&) { return QStringLiteral("No frontmost browser application found"); },
            [](const AccessibilityPermissionDenied&) {
                return QStringLiteral("Accessibility permission is required for this operation");
            },
            [](const ElementNotFound& e) { return QStringLiteral("UI element not found: ") + e.description; },
            [](const InvalidInput& e) {
                return QStringLiteral("Invalid input for parameter '") + e.parameter + QStringLiteral("': ") + e.reason;
            },
            [](const SystemError& e) {
                return QStringLiteral("System error: ") +
                       (e.underlying ? e.underlying->localizedDescription() : QStringLiteral("Unknown error"));
            },
            [](const UnknownError& e) { return QStringLiteral("Unknown error: ") + e.description; },
        },
        m_case);
}

QString CaptureKitError::failureReason() const
{
    return std::visit(
        Overloaded{
            [](const Timeout& e) {
                return QStringLiteral("The ") + e.operation + QStringLiteral(" operation took too long to complete");
            },
            [](const AppleScriptExecution&) {
                return QStringLiteral("The AppleScript command failed to execute successfully");
            },
            [](const UnsupportedBrowser&) {
                return QStringLiteral("The browser does not support AppleScript automation");
            },
            [](const BrowserNotFound&) {
                return QStringLiteral("No supported browser application is currently running");
            },
            [](const AccessibilityPermissionDenied&) {
                return QStringLiteral("The application does not have accessibility permissions");
            },
            [](const ElementNotFound&) { return QStringLiteral("The required UI element could not be located"); },
            [](const InvalidInput&) { return QStringLiteral("The provided input parameters are invalid"); },
            [](const SystemError&) { return QStringLiteral("An underlying system error occurred"); },
            [](const UnknownError&) { return QStringLiteral("An unexpected error occurred"); },
        },
        m_case);
}

QString CaptureKitError::recoverySuggestion() const
{
    return std::visit(
        Overloaded{
            [](const Timeout&) {
                return QStringLiteral(
                    "Try increasing the timeout duration or check if the target application is responding");
            },
            [](const AppleScriptExecution&) {
                return QStringLiteral(
                    "Ensure the target application is running and accessible, or try running the script manually");
            },
            [](const UnsupportedBrowser&) {
                return QStringLiteral("Use a supported browser like Safari, Chrome, or Microsoft Edge");
            },
            [](const BrowserNotFound&) { return QStringLiteral("Open a supported browser application and try again"); },
            [](const AccessibilityPermissionDenied&) {
                return QStringLiteral("Grant accessibility permissions in System Preferences > Security & Privacy > "
                                      "Privacy > Accessibility");
            },
            [](const ElementNotFound&) {
                return QStringLiteral("Ensure the target element is visible and accessible");
            },
            [](const InvalidInput&) { return QStringLiteral("Check the input parameters and provide valid values"); },
            [](const SystemError&) { return QStringLiteral("Check system logs for more details"); },
            [](const UnknownError&) { return QStringLiteral("Try restarting the application or contact support"); },
        },
        m_case);
}

QVariantMap CaptureKitError::errorUserInfo() const
{
    QVariantMap userInfo{{kLocalizedDescriptionKey, errorDescription()},
                         {kLocalizedFailureReasonErrorKey, failureReason()},
                         {kLocalizedRecoverySuggestionErrorKey, recoverySuggestion()}};
    std::visit(
        Overloaded{
            [&](const Timeout& e) {
                userInfo.insert(QStringLiteral("operation"), e.operation);
                userInfo.insert(QStringLiteral("duration"), e.duration);
            },
            [&](const AppleScriptExecution& e) {
                userInfo.insert(QStringLiteral("script"), e.script);
                if (e.exitCode) {
                    userInfo.insert(QStringLiteral("exitCode"), *e.exitCode);
                }
                if (e.description) {
                    userInfo.insert(QStringLiteral("output"), *e.description);
                }
            },
            [&](const UnsupportedBrowser& e) { userInfo.insert(QStringLiteral("bundleID"), e.bundleID); },
            [&](const ElementNotFound& e) { userInfo.insert(QStringLiteral("elementDescription"), e.description); },
            [&](const InvalidInput& e) {
                userInfo.insert(QStringLiteral("parameter"), e.parameter);
                userInfo.insert(QStringLiteral("reason"), e.reason);
            },
            [&](const SystemError& e) { userInfo.insert(kUnderlyingErrorKey, QVariant::fromValue(e.underlying)); },
            [&](const UnknownError& e) { userInfo.insert(QStringLiteral("errorDescription"), e.description); },
            [](const auto&) {},
        },
        m_case);
    return userInfo;
}

bool CaptureKitError::isBrowserError() const
{
    return as<UnsupportedBrowser>() != nullptr || as<BrowserNotFound>() != nullptr;
}

bool CaptureKitError::isAccessibilityError() const
{
    return as<ElementNotFound>() != nullptr || as<AccessibilityPermissionDenied>() != nullptr;
}

bool CaptureKitError::isRecoverable() const
{
    return isTimeout() || isBrowserError() || as<AccessibilityPermissionDenied>() != nullptr ||
           as<InvalidInput>() != nullptr;
}

ErrorRecord CaptureKitError::asNSError() const
{
    return ErrorRecord(QString::fromLatin1(errorDomain), errorCode(), errorUserInfo());
}

std::optional<CaptureKitError> CaptureKitError::from(const ErrorRecord& record)
{
    if (record.domain() != QLatin1String(errorDomain)) {
        return std::nullopt;
    }
    const QVariantMap& info = record.userInfo();
    switch (record.code()) {
    case 1001:
        return CaptureKitError(
            Timeout{textEntry(info, QStringLiteral("operation")).value_or(QStringLiteral("Unknown operation")),
                    numberEntry(info, QStringLiteral("duration")).value_or(0)});
    case 1002:
        // The description is read from the entry "description", not from the "output" entry this
        // type writes, so a description does not survive a round trip through the record.
        return CaptureKitError(AppleScriptExecution{textEntry(info, QStringLiteral("script")).value_or(QString()),
                                                    integerEntry(info, QStringLiteral("exitCode")).value_or(-1),
                                                    textEntry(info, QStringLiteral("description"))});
    case 1003:
        return CaptureKitError(UnsupportedBrowser{textEntry(info, QStringLiteral("bundleID")).value_or(QString())});
    case 1004:
        return CaptureKitError(BrowserNotFound{});
    case 1005:
        return CaptureKitError(AccessibilityPermissionDenied{});
    case 1006:
        return CaptureKitError(ElementNotFound{
            textEntry(info, QStringLiteral("elementDescription")).value_or(QStringLiteral("UI element"))});
    case 1007:
        return CaptureKitError(InvalidInput{textEntry(info, QStringLiteral("parameter")).value_or(QString()),
                                            textEntry(info, QStringLiteral("reason")).value_or(QString())});
    case 1008:
        if (ErrorPtr underlying = underlyingEntry(info)) {
            return CaptureKitError(SystemError{std::move(underlying)});
        }
        return CaptureKitError(UnknownError{record.localizedDescription()});
    case 1009:
        return CaptureKitError(
            UnknownError{textEntry(info, QStringLiteral("errorDescription")).value_or(record.localizedDescription())});
    default:
        return std::nullopt;
    }
}

QString CaptureKitError::debugDescription() const
{
    const auto optionalText = [](const std::optional<QString>& text) {
        return text ? quoted(*text) : QStringLiteral("nil");
    };
    return std::visit(
        Overloaded{
            [](const Timeout& e) {
                return QStringLiteral("timeout(operation: %1, duration: %2)")
                    .arg(quoted(e.operation), formatDuration(e.duration));
            },
            [&](const AppleScriptExecution& e) {
                return QStringLiteral("appleScriptExecution(script: %1, exitCode: %2, description: %3)")
                    .arg(quoted(e.script), e.exitCode ? QString::number(*e.exitCode) : QStringLiteral("nil"),
                         optionalText(e.description));
            },
            [](const UnsupportedBrowser& e) {
                return QStringLiteral("unsupportedBrowser(bundleID: %1)").arg(quoted(e.bundleID));
            },
            [](const BrowserNotFound&) { return QStringLiteral("browserNotFound"); },
            [](const AccessibilityPermissionDenied&) { return QStringLiteral("accessibilityPermissionDenied"); },
            [](const ElementNotFound& e) {
                return QStringLiteral("elementNotFound(description: %1)").arg(quoted(e.description));
            },
            [](const InvalidInput& e) {
                return QStringLiteral("invalidInput(parameter: %1, reason: %2)")
                    .arg(quoted(e.parameter), quoted(e.reason));
            },
            [](const SystemError& e) {
                return QStringLiteral("systemError(underlying: %1)")
                    .arg(e.underlying ? e.underlying->debugDescription() : QStringLiteral("nil"));
            },
            [](const UnknownError& e) {
                return QStringLiteral("unknownError(description: %1)").arg(quoted(e.description));
            },
        },
        m_case);
}

ErrorPtr CaptureKitError::clone() const
{
    return std::make_shared<CaptureKitError>(*this);
}

QString CaptureKitError::formatDuration(double seconds)
{
    // Fixed notation keeps large and tiny values readable as plain decimals; std::to_chars gives the
    // shortest digits that read back to the same double.
    char buffer[400];
    const auto result = std::to_chars(std::begin(buffer), std::end(buffer), seconds, std::chars_format::fixed);
    QString text = QString::fromLatin1(buffer, result.ptr - buffer);
    if (std::isfinite(seconds) && !text.contains(u'.')) {
        text += QStringLiteral(".0");
    }
    return text;
}

} // namespace quillora
