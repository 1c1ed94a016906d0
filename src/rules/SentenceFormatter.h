#pragma once

#include "rules/TextToken.h"

namespace quillora {

/**
 * Spacing and capitals over a token list. The closing punctuation is the writer's: a text without a
 * final full stop (a chat reply, the last item of a list) keeps it that way.
 */
class SentenceFormatter final
{
public:
    /**
     * Removes spaces before closing punctuation and after opening brackets, doubled commas, and
     * adds the missing space after a comma, semicolon or colon before a word, and after a full
     * stop, question or exclamation mark before a capital.
     */
    static void fixSpacing(TokenList& tokens);

    /**
     * Cleans up after words were removed: doubled spaces, spaces at line ends, a comma left at the
     * start of a sentence or right before other punctuation.
     */
    static void tidy(TokenList& tokens);

    /** Capitalises the first word of each sentence and each line, and the pronoun "I". */
    static void capitalize(TokenList& tokens);

    /**
     * True when the token at `index` is the first word of a sentence or a line. A lower-case word
     * after a closing quotation mark ('"Why?" she asked') goes on the sentence of the quotation.
     */
    [[nodiscard]] static bool startsSentence(const TokenList& tokens, size_t index);
};

} // namespace quillora
