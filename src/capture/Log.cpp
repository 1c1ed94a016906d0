#include "capture/Log.h"

#include "core/Clock.h"
#include "platform/Platform.h"
#include "platform/SystemLog.h"
#include "platform/UserDefaults.h"

#include <QDateTime>

namespace quillora {

namespace {

void write(LogLevel level, const QString& message)
{
    const QString subsystem = QStringLiteral("com.orrin.CaptureKit");
    const QString category = QStringLiteral("main");
    SystemLog& log = Platform::current().systemLog();
    if (log.isEnabled(subsystem, category, level)) {
        log.write(subsystem, category, level, QStringLiteral("[%1] %2").arg(logTimestamp(), message));
    }
}

} // namespace

QString privateValue(const QString& value)
{
    const bool diagnostic = qEnvironmentVariable("QUILLORA_DIAGNOSTIC_LOGGING") == QLatin1String("1") ||
                            Platform::current().userDefaults().boolValue(QStringLiteral("diagnosticLogging"));
    return diagnostic ? value : QStringLiteral("<private>");
}

void logInfo(const QString& message)
{
    write(LogLevel::Info, message);
}

void logError(const QString& message)
{
    write(LogLevel::Error, message);
}

QString logTimestamp()
{
    const QDateTime now = Platform::current().clock().wallNow().toLocalTime();
    // The clock has millisecond resolution, so the last three of the six digits are always zero.
    const int microseconds = now.time().msec() * 1000;
    return now.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + u'.' +
           QStringLiteral("%1").arg(microseconds, 6, 10, QLatin1Char('0'));
}

} // namespace quillora
