#include "server/RulesEngine.h"

#include <QHash>

namespace quillora {

RulesEngine::RulesEngine(std::shared_ptr<const SpellingDictionary> dictionary)
    : m_rewriter(std::move(dictionary))
{
}

QString RulesEngine::model() const
{
    return QStringLiteral("quillora-rules-1");
}

QCoro::Task<RewriteOutcome> RulesEngine::rewrite(QString text, QList<PresetText> presets)
{
    RewriteOutcome outcome;
    outcome.model = model();
    const TextRewriter::Prepared prepared = m_rewriter.prepare(text);
    // Several presets may share a style; each style is rendered once.
    QHash<int, QString> rendered;
    for (const PresetText& preset : presets) {
        const RewriteStyle style = StylePhrases::styleForPreset(preset.name);
        auto found = rendered.constFind(static_cast<int>(style));
        if (found == rendered.constEnd()) {
            found = rendered.insert(static_cast<int>(style), m_rewriter.render(prepared, style));
        }
        outcome.results.append({preset.name, *found});
    }
    co_return outcome;
}

} // namespace quillora
