#pragma once

#include "rules/PhraseRewriter.h"

#include <QList>

namespace quillora {

class Lexicon;

/** The writing styles of the rule-based engine, one per built-in preset. */
enum class RewriteStyle {
    FixGrammar,
    Professional,
    Casual,
    Concise,
};

/** The phrase tables, read from the data folder, that turn corrected text into each style. */
class StylePhrases final
{
public:
    /**
     * The style a preset name asks for ("Professional", "Casual", "Fix Grammar", "Concise", in any
     * case); any other name gets the grammar pass only.
     */
    [[nodiscard]] static RewriteStyle styleForPreset(const QString& name);

    /** The phrase rules of `style` from the tables of `lexicon`; empty for FixGrammar. */
    [[nodiscard]] static QList<PhraseRule> rules(RewriteStyle style, const Lexicon& lexicon);
};

} // namespace quillora
