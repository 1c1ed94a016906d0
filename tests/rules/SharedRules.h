#pragma once

#include <memory>

namespace quillora {
class Lexicon;
class SpellingDictionary;
} // namespace quillora

namespace quillora::test {

/**
 * What the rules engine reads, loaded once for every test and benchmark: the installed English
 * hunspell lists (or a five-word stand-in when none is installed) and those of other languages, the
 * tables of the source tree and the installed WordNet.
 */
struct SharedRules
{
    std::shared_ptr<const SpellingDictionary> dictionary;
    std::shared_ptr<const Lexicon> lexicon;
    /** The other languages' hunspell lists installed beside the English ones; null when there are none. */
    std::shared_ptr<const SpellingDictionary> otherLanguages;

    [[nodiscard]] static const SharedRules& get();

    /** True when the English hunspell lists and WordNet are installed, so the full rules can run. */
    [[nodiscard]] static bool complete();
};

} // namespace quillora::test
