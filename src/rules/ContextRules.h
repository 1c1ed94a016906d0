#pragma once

#include "rules/TextToken.h"

#include <QString>

namespace quillora {

class Lexicon;

/**
 * Grammar corrections that look at a word's neighbours: verb forms after "have", modals and "did",
 * subject-verb agreement with pronouns and simple subjects, the homophones their/there/they're,
 * its/it's, your/you're, to/too and then/than, a numeral before a singular noun, double
 * comparatives, pronoun case in pairs ("me and him went"), and "less" before a plural noun. Each
 * rule changes a word only when its neighbours within the clause leave no doubt; words on either
 * side of punctuation are never read as neighbours.
 */
class ContextRules final
{
public:
    explicit ContextRules(const Lexicon& lexicon);

    /** Applies every rule to the words of `tokens`, keeping each word's capital. */
    void apply(TokenList& tokens) const;

private:
    class Pass;

    const Lexicon& m_lexicon;
};

} // namespace quillora
