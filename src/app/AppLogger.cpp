#include "app/AppLogger.h"

#include "platform/Platform.h"
#include "platform/SystemLog.h"

#include <QtGlobal>

namespace quillora {

namespace {

struct LoggerState
{
    bool forwardToSystemLog = false;
    AppLogger::Capture capture;
};

LoggerState& state()
{
    static LoggerState instance;
    return instance;
}

} // namespace

void AppLogger::setup()
{
    state().forwardToSystemLog = qEnvironmentVariable("QUILLORA_DEBUG_LOG") == QLatin1String("1");
}

void AppLogger::log(const QString& message, const QString& file)
{
    const LoggerState& current = state();
    if (current.capture) {
        current.capture(message, file);
    }
    if (!current.forwardToSystemLog || !Platform::hasCurrent()) {
        return;
    }
    const QString subsystem = QStringLiteral("com.tessel.quillora");
    const QString category = QStringLiteral("app");
    const LogLevel level = message.startsWith(QStringLiteral("❌")) ? LogLevel::Error : LogLevel::Info;
    SystemLog& log = Platform::current().systemLog();
    if (log.isEnabled(subsystem, category, level)) {
        log.write(subsystem, category, level, file + QStringLiteral(": ") + message);
    }
}

void AppLogger::setCapture(Capture capture)
{
    state().capture = std::move(capture);
}

} // namespace quillora
