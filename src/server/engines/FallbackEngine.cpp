#include "server/engines/FallbackEngine.h"

#include <algorithm>

namespace quillora {

FallbackEngine::FallbackEngine(std::unique_ptr<RewriteEngine> primary, std::unique_ptr<RewriteEngine> fallback)
    : m_primary(std::move(primary))
    , m_fallback(std::move(fallback))
{
}

QString FallbackEngine::model() const
{
    return m_primary->model();
}

QCoro::Task<RewriteOutcome> FallbackEngine::rewrite(QString text, QList<PresetText> presets)
{
    RewriteOutcome outcome = co_await m_primary->rewrite(text, presets);
    QList<PresetText> missing;
    for (const PresetText& preset : presets) {
        const bool answered = std::any_of(outcome.results.cbegin(), outcome.results.cend(),
                                          [&preset](const auto& result) { return result.first == preset.name; });
        if (!answered) {
            missing.append(preset);
        }
    }
    if (missing.isEmpty()) {
        co_return outcome;
    }
    const RewriteOutcome rescued = co_await m_fallback->rewrite(text, missing);
    QStringList names;
    for (const auto& [name, variation] : rescued.results) {
        names.append(name);
    }
    // The variations keep the order of the presets.
    QList<std::pair<QString, QString>> ordered;
    for (const PresetText& preset : presets) {
        for (const QList<std::pair<QString, QString>>* results : {&std::as_const(outcome.results), &rescued.results}) {
            for (const auto& result : *results) {
                if (result.first == preset.name) {
                    ordered.append(result);
                }
            }
        }
    }
    outcome.results = std::move(ordered);
    outcome.failures = rescued.failures;
    // What the second engine says holds for the variations it made.
    if (!names.isEmpty()) {
        outcome.followsInstructions = outcome.followsInstructions && rescued.followsInstructions;
        outcome.correctionsOnly += rescued.correctionsOnly;
        if (outcome.note.isEmpty()) {
            outcome.note = rescued.note;
        }
    }
    outcome.model = outcome.results.size() == names.size()
                        ? m_fallback->model()
                        : QStringLiteral("%1 (%2 for %3)")
                              .arg(outcome.model, m_fallback->model(), names.join(QStringLiteral(", ")));
    co_return outcome;
}

} // namespace quillora
