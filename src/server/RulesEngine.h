#pragma once

#include "server/RewriteEngine.h"
#include "server/rules/TextRewriter.h"

#include <memory>

namespace quillora {

class SpellingDictionary;

/**
 * The embedded offline engine: deterministic rewrites by rule. "Fix Grammar" corrects spacing,
 * capitals, repeated words and misspellings; "Concise" drops filler words and wordy phrases;
 * "Professional" and "Casual" change contractions and register. Any other preset gets the
 * grammar pass. Never fails.
 */
class RulesEngine final : public RewriteEngine
{
public:
    explicit RulesEngine(std::shared_ptr<const SpellingDictionary> dictionary);

    /** "quillora-rules-1". */
    [[nodiscard]] QString model() const override;

    QCoro::Task<RewriteOutcome> rewrite(QString text, QList<PresetText> presets) override;

private:
    TextRewriter m_rewriter;
};

} // namespace quillora
