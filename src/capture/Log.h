#pragma once

#include <QString>

namespace quillora {

/**
 * Writes "[<timestamp>] <message>" to the system log at the info level, subsystem
 * "com.orrin.CaptureKit", category "main", when that level is enabled. Never fails.
 */
void logInfo(const QString& message);

/** The same at the error level. Never fails. */
void logError(const QString& message);

/**
 * `value` as a log line may show it: the value itself while diagnostic logging is on (the user
 * default "diagnosticLogging", or the environment variable QUILLORA_DIAGNOSTIC_LOGGING=1), else
 * "<private>". Every text that comes from the user or another application (selections, pasteboard
 * contents, pasted text, script output, application and menu names) goes through it, so that the
 * system log keeps none of it by default.
 */
[[nodiscard]] QString privateValue(const QString& value);

/**
 * The platform clock's local wall time as "yyyy-MM-dd HH:mm:ss.ffffff": 26 characters, the
 * microseconds of the second zero-padded to six digits.
 */
[[nodiscard]] QString logTimestamp();

} // namespace quillora
