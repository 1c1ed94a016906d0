#include "app/AppLogger.h"

#include "capture/Log.h"
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

// Noncharacters, which no text from elsewhere carries, around each private part of a line.
constexpr char16_t kPrivateStart = 0xFDD0;
constexpr char16_t kPrivateEnd = 0xFDD1;

// The line with each private part given to `show`, and the marks removed.
template <typename Show> QString resolved(const QString& message, Show show)
{
    QString line;
    line.reserve(message.size());
    qsizetype at = 0;
    while (at < message.size()) {
        const qsizetype start = message.indexOf(QChar(kPrivateStart), at);
        const qsizetype end = start < 0 ? -1 : message.indexOf(QChar(kPrivateEnd), start);
        if (end < 0) {
            line += message.mid(at);
            break;
        }
        line += message.mid(at, start - at);
        line += show(message.mid(start + 1, end - start - 1));
        at = end + 1;
    }
    return line;
}

} // namespace

void AppLogger::setup()
{
    state().forwardToSystemLog = qEnvironmentVariable("QUILLORA_DEBUG_LOG") == QLatin1String("1");
}

QString AppLogger::privateText(const QString& value)
{
    return QChar(kPrivateStart) + value + QChar(kPrivateEnd);
}

void AppLogger::log(const QString& message, const QString& file)
{
    const LoggerState& current = state();
    if (current.capture) {
        current.capture(resolved(message, [](const QString& part) { return part; }), file);
    }
    if (!current.forwardToSystemLog || !Platform::hasCurrent()) {
        return;
    }
    const QString subsystem = QStringLiteral("com.tessel.quillora");
    const QString category = QStringLiteral("app");
    const LogLevel level = message.startsWith(QStringLiteral("❌")) ? LogLevel::Error : LogLevel::Info;
    SystemLog& log = Platform::current().systemLog();
    if (log.isEnabled(subsystem, category, level)) {
        // The same rule as the capture toolkit's lines: user text only with diagnostic logging on.
        log.write(subsystem, category, level, file + QStringLiteral(": ") + resolved(message, privateValue));
    }
}

void AppLogger::setCapture(Capture capture)
{
    state().capture = std::move(capture);
}

} // namespace quillora
