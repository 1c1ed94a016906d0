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
 * The platform clock's local wall time as "yyyy-MM-dd HH:mm:ss.ffffff": 26 characters, the
 * microseconds of the second zero-padded to six digits.
 */
[[nodiscard]] QString logTimestamp();

} // namespace quillora
