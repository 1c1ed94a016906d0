#pragma once

#include "server/RewriteEngine.h"
#include "server/rules/TextRewriter.h"

#include <memory>

namespace quillora {

class Lexicon;
class SpellingDictionary;

/** What the `rules` engine reads at start-up; loaded once and shared by every engine that needs it. */
struct RulesResources
{
    std::shared_ptr<const SpellingDictionary> dictionary;
    std::shared_ptr<const Lexicon> lexicon;

    /**
     * Loads the dictionaries, the data folder and WordNet. Throws `ServerError` (InvalidOption)
     * naming the file that cannot be read.
     */
    [[nodiscard]] static RulesResources load(const QStringList& dictionaryPaths, const QString& dataFolder,
                                             const QString& wordnetFolder);
};

/**
 * The embedded offline engine: deterministic rewrites by rule. Every preset gets the corrections
 * (spelling, grammar, spacing, capitals); "Professional" and "Casual" change contractions and
 * register, "Concise" drops filler words and wordy phrases. A preset of the user's own gets the
 * corrections only, and the model name then says so, since free instructions cannot be followed
 * by rules. Never fails.
 */
class RulesEngine final : public RewriteEngine
{
public:
    explicit RulesEngine(const RulesResources& resources);

    /** "quillora-rules-1". */
    [[nodiscard]] QString model() const override;

    QCoro::Task<RewriteOutcome> rewrite(QString text, QList<PresetText> presets) override;

private:
    TextRewriter m_rewriter;
};

} // namespace quillora
