#pragma once

#include "rules/GrammarFixer.h"
#include "rules/PhraseRewriter.h"
#include "rules/SpellingCorrector.h"
#include "rules/StylePhrases.h"
#include "rules/TextToken.h"
#include "rules/WordProtector.h"

#include <QString>

#include <array>
#include <memory>

namespace quillora {

class Lexicon;
class SpellingDictionary;

/**
 * The rule-based rewriter: corrects a text once, then renders it in each writing style. The
 * whitespace around the text is kept as it was, so a variation can replace a selection that ends
 * with a line break. A sentence that is not English (too few of its words are English words) is
 * kept exactly as written in every style.
 */
class TextRewriter final
{
public:
    /**
     * `otherLanguages`, when given, knows the words of the other installed languages, so that they
     * are never "corrected" into English ones.
     */
    TextRewriter(std::shared_ptr<const SpellingDictionary> dictionary, std::shared_ptr<const Lexicon> lexicon,
                 std::shared_ptr<const SpellingDictionary> otherLanguages = nullptr);

    /** A text corrected once, ready to be rendered in any style. */
    struct Prepared
    {
        QString leadingSpace;
        QString trailingSpace;
        TokenList tokens;
        /**
         * True when the text has words and none of its sentences reads as English, so every style
         * returns it as written; the service tells the writer so.
         */
        bool notEnglish = false;
    };

    /** Tokenises `text` and applies the word-level grammar corrections. */
    [[nodiscard]] Prepared prepare(const QString& text);

    /** The prepared text in `style`, with spacing and capitals fixed. */
    [[nodiscard]] QString render(const Prepared& prepared, RewriteStyle style) const;

    /** `prepare` and `render` in one step. */
    [[nodiscard]] QString rewrite(const QString& text, RewriteStyle style);

private:
    /**
     * Turns each sentence that is not English into one verbatim token, so that no rule touches it.
     * Returns true when the text has words and every sentence with words was turned.
     */
    bool protectForeignSentences(TokenList& tokens) const;
    [[nodiscard]] bool isEnglish(const TokenList& tokens, size_t begin, size_t end) const;

    std::shared_ptr<const SpellingDictionary> m_dictionary;
    std::shared_ptr<const Lexicon> m_lexicon;
    std::shared_ptr<const SpellingDictionary> m_otherLanguages;
    WordProtector m_protector;
    SpellingCorrector m_corrector;
    GrammarFixer m_grammar;
    std::array<std::unique_ptr<PhraseRewriter>, 4> m_styles;
};

} // namespace quillora
