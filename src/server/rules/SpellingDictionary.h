#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quillora {

/**
 * An English word list read from a hunspell ".dic" file. Each entry is a stem with its affix flags;
 * the common suffix forms those flags allow (plural and third person "-s", past "-ed", "-ing",
 * possessive "'s", "-er", "-est", "-ly", "-ness") and the prefixes "re", "un", "in", "de", "dis",
 * "con" and "pro" are recognised without expanding the list. Immutable once loaded, so one copy
 * can serve every request.
 */
class SpellingDictionary final
{
public:
    /**
     * Reads the ".dic" file at `path` (first line a count, then one "word/FLAGS" per line). Throws
     * `ServerError` (InvalidOption) when the file cannot be read.
     */
    [[nodiscard]] static std::shared_ptr<const SpellingDictionary> load(const QString& path);

    /** A dictionary made of lines in the ".dic" entry form ("word" or "word/FLAGS"). */
    [[nodiscard]] static std::shared_ptr<const SpellingDictionary> fromEntries(const QStringList& entries);

    /** The number of stems. */
    [[nodiscard]] qsizetype size() const { return static_cast<qsizetype>(m_flags.size()); }

    /**
     * True when `word` is spelled right: as written, or, when it is capitalised or written in
     * capitals, in lower case or capitalised ("The", "PARIS"), directly or as an affixed form.
     */
    [[nodiscard]] bool isKnown(const QString& word) const;

    /** True when exactly this spelling, or an affixed form of it, is in the list. */
    [[nodiscard]] bool hasForm(const QString& word) const;

    /**
     * Known lower-case words one edit away from the lower-case `word` (a letter deleted, inserted,
     * replaced, or two neighbours swapped), each once, in a fixed order.
     */
    [[nodiscard]] QStringList candidates(const QString& word) const;

private:
    /** Hashes views and strings alike, so that a look-up needs no string of its own. */
    struct ViewHash
    {
        using is_transparent = void;
        size_t operator()(std::u16string_view text) const noexcept { return std::hash<std::u16string_view>{}(text); }
    };

    void addEntry(QStringView line);
    void addToBloom(size_t hash);
    bool mayContain(size_t hash) const;
    bool hasFormOf(std::u16string_view word) const;
    bool hasStem(std::u16string_view stem, quint64 requiredFlags) const;
    bool hasAffixedForm(std::u16string_view word, quint64 requiredFlags) const;

    /** Stem to its affix flags, one bit per flag letter. */
    std::unordered_map<std::u16string, quint64, ViewHash, std::equal_to<>> m_flags;
    /**
     * A Bloom filter over the stems. Almost every word a correction tries is not a stem; this
     * small bit array, which stays in the processor's cache, rules most of them out without a
     * trip through the hash table.
     */
    std::vector<quint64> m_bloom;
};

} // namespace quillora
