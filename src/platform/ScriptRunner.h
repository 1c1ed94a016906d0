#pragma once

#include <QString>
#include <QVariantMap>

#include <memory>
#include <optional>

namespace quillora {

/**
 * Keys of a script's error dictionary: the error number (integer) and the message (text). Named as
 * the system the toolkit first ran on names them; on Linux no script runs and they only appear in
 * failures the toolkit reports.
 */
inline constexpr auto kScriptErrorNumberKey = "NSAppleScriptErrorNumber";
inline constexpr auto kScriptErrorMessageKey = "NSAppleScriptErrorMessage";

/** What running a script gave: either its result (whose text form may be absent) or an error dictionary. */
struct ScriptResult
{
    /** The result's text form; none when the result has none (or the run failed). */
    std::optional<QString> stringValue;
    /** The error dictionary of a failed run; none on success. */
    std::optional<QVariantMap> errorInfo;

    [[nodiscard]] static ScriptResult success(std::optional<QString> text) { return {std::move(text), std::nullopt}; }
    [[nodiscard]] static ScriptResult failure(QVariantMap errorInfo) { return {std::nullopt, std::move(errorInfo)}; }
    [[nodiscard]] bool failed() const { return errorInfo.has_value(); }

    bool operator==(const ScriptResult&) const = default;
};

/** A script made from source, ready to run. */
class Script
{
public:
    Script() = default;
    Script(const Script&) = delete;
    Script& operator=(const Script&) = delete;
    virtual ~Script() = default;

    /**
     * Runs the script and returns its result or its error dictionary. Blocks until the script
     * ends and cannot be interrupted, so callers run it off the main thread. Never throws.
     */
    [[nodiscard]] virtual ScriptResult execute() = 0;
};

/**
 * The desktop's script interface (AppleScript where there is one): makes scripts from source text.
 * Safe to use from any thread.
 */
class ScriptRunner
{
public:
    ScriptRunner() = default;
    ScriptRunner(const ScriptRunner&) = delete;
    ScriptRunner& operator=(const ScriptRunner&) = delete;
    virtual ~ScriptRunner() = default;

    /**
     * False where the desktop has no script interface at all, so that callers skip work that can
     * never succeed instead of attempting it and reporting a failure.
     */
    [[nodiscard]] virtual bool isAvailable() const { return true; }

    /** A script made from `source`; null when it cannot be made (no script interface, or bad source). */
    [[nodiscard]] virtual std::unique_ptr<Script> createScript(const QString& source) = 0;
};

} // namespace quillora
