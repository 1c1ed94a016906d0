#include "platform/sim/SimScriptRunner.h"

#include <QRegularExpression>

namespace quillora {

namespace {

class SimScript final : public Script
{
public:
    SimScript(QString source, std::function<ScriptResult(const QString&)> run)
        : m_source(std::move(source))
        , m_run(std::move(run))
    {
    }

    ScriptResult execute() override { return m_run(m_source); }

private:
    QString m_source;
    std::function<ScriptResult(const QString&)> m_run;
};

} // namespace

std::unique_ptr<Script> SimScriptRunner::createScript(const QString& source)
{
    std::lock_guard lock(m_mutex);
    if (!m_canBeMade) {
        return nullptr;
    }
    return std::make_unique<SimScript>(source, [this](const QString& text) { return run(text); });
}

void SimScriptRunner::setHandler(Handler handler)
{
    std::lock_guard lock(m_mutex);
    m_handler = std::move(handler);
}

void SimScriptRunner::setScriptsCanBeMade(bool canBeMade)
{
    std::lock_guard lock(m_mutex);
    m_canBeMade = canBeMade;
}

bool SimScriptRunner::isAvailable() const
{
    const std::lock_guard lock(m_mutex);
    return m_canBeMade;
}

int SimScriptRunner::alertVolume() const
{
    std::lock_guard lock(m_mutex);
    return m_alertVolume;
}

void SimScriptRunner::setAlertVolume(int volume)
{
    std::lock_guard lock(m_mutex);
    m_alertVolume = volume;
}

QStringList SimScriptRunner::executedSources() const
{
    std::lock_guard lock(m_mutex);
    return m_executed;
}

ScriptResult SimScriptRunner::run(const QString& source)
{
    Handler handler;
    {
        std::lock_guard lock(m_mutex);
        m_executed.append(source);
        handler = m_handler;
    }
    // The handler may block, so it runs outside the lock.
    if (handler) {
        if (std::optional<ScriptResult> answer = handler(source)) {
            return *answer;
        }
    }
    if (source.startsWith(QLatin1String("tell application \"System Events\""))) {
        return runSystemEvents(source);
    }
    return ScriptResult::success(std::nullopt);
}

ScriptResult SimScriptRunner::runSystemEvents(const QString& source)
{
    static const QRegularExpression setVolume(QStringLiteral("set volume alert volume (-?\\d+)"));
    std::lock_guard lock(m_mutex);
    const int previous = m_alertVolume;
    if (source.contains(QLatin1String("set originalVolume to alert volume"))) {
        m_alertVolume = 0;
        return ScriptResult::success(QString::number(previous));
    }
    if (source.contains(QLatin1String("get alert volume"))) {
        return ScriptResult::success(QString::number(previous));
    }
    if (const QRegularExpressionMatch match = setVolume.match(source); match.hasMatch()) {
        m_alertVolume = match.captured(1).toInt();
        return ScriptResult::success(std::nullopt);
    }
    return ScriptResult::failure({{QString::fromLatin1(kScriptErrorNumberKey), -1728},
                                  {QString::fromLatin1(kScriptErrorMessageKey),
                                   QStringLiteral("System Events got an error: Can’t get object.")}});
}

} // namespace quillora
