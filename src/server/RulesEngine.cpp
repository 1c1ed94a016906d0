#include "server/RulesEngine.h"

#include "server/rules/Lexicon.h"
#include "server/rules/SpellingDictionary.h"

#include <QHash>

namespace quillora {

RulesResources RulesResources::load(const QStringList& dictionaryPaths, const QString& dataFolder,
                                    const QString& wordnetFolder)
{
    return {SpellingDictionary::load(dictionaryPaths), Lexicon::load(dataFolder, wordnetFolder)};
}

RulesEngine::RulesEngine(const RulesResources& resources)
    : m_rewriter(resources.dictionary, resources.lexicon)
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
    QStringList ownPresets;
    for (const PresetText& preset : presets) {
        const RewriteStyle style = StylePhrases::styleForPreset(preset.name);
        if (style == RewriteStyle::FixGrammar &&
            preset.name.trimmed().compare(QLatin1String("Fix Grammar"), Qt::CaseInsensitive) != 0) {
            ownPresets.append(preset.name);
        }
        auto found = rendered.constFind(static_cast<int>(style));
        if (found == rendered.constEnd()) {
            found = rendered.insert(static_cast<int>(style), m_rewriter.render(prepared, style));
        }
        outcome.results.append({preset.name, *found});
    }
    if (!ownPresets.isEmpty()) {
        outcome.model +=
            QStringLiteral(" (offline rules: corrections only for %1; its instructions need a language model)")
                .arg(ownPresets.join(QStringLiteral(", ")));
    }
    co_return outcome;
}

} // namespace quillora
