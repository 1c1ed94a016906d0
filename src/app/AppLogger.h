#pragma once

#include <QString>

#include <functional>

namespace quillora {

/**
 * The application's single diagnostic sink. Call sites compose a line ("❌ …", "✅ …", "⚠️ …",
 * "🚀 …") and hand it over with the calling file as a module-relative path without extension
 * ("quillora/SelectionTracker"). By default nothing is written anywhere. With the environment
 * variable QUILLORA_DEBUG_LOG=1 at `setup()`, lines go to the system log (subsystem
 * "com.tessel.quillora", category "app"; lines starting with "❌" at the error level, the rest at
 * the info level) as "<file>: <message>". Tests can capture the lines. Main thread.
 */
class AppLogger final
{
public:
    using Capture = std::function<void(const QString& message, const QString& file)>;

    AppLogger() = delete;

    /** Reads the debug switch; called once at launch (again in tests after changing it). Never fails. */
    static void setup();

    /** Hands one diagnostic line to the sink. Never fails. */
    static void log(const QString& message, const QString& file);

    /**
     * Marks `value` (text from the user or another application) as a private part of a line:
     * the system log shows it only while diagnostic logging is on (see `privateValue`), else
     * "<private>". The capture always receives it as it is.
     */
    [[nodiscard]] static QString privateText(const QString& value);

    /** Receives every line from now on, in addition to any forwarding; an empty function stops it. */
    static void setCapture(Capture capture);
};

} // namespace quillora
