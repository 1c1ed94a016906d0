#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace quillora {

/**
 * English word forms read from hunspell ".dic" files and the suffix and prefix rules of their ".aff"
 * files. Every form the rules allow is listed once at load time, so a look-up is one hash probe.
 * Several dictionaries (American and British) can be merged into one, and a word is known when any
 * of them knows it. Immutable once loaded, so one copy can serve every request.
 */
class SpellingDictionary final
{
public:
    /**
     * Reads each ".dic" file in `paths` (first line a count, then one "word/FLAGS" per line) with
     * the ".aff" file of the same name beside it, when there is one. Throws `RulesDataError` when a ".dic" file cannot
     * be read.
     */
    [[nodiscard]] static std::shared_ptr<const SpellingDictionary> load(const QStringList& paths);

    /**
     * A dictionary made of lines in the ".dic" entry form ("word" or "word/FLAGS"), with the affix
     * rules in `affixes` (the ".aff" form; only its SFX and PFX lines are read).
     */
    [[nodiscard]] static std::shared_ptr<const SpellingDictionary> fromEntries(const QStringList& entries,
                                                                               const QString& affixes = {});

    /**
     * The other-language dictionaries installed beside `englishPath` (the ".dic" files in its folder
     * whose names do not start with "en"), one per language however many regional names link to it.
     */
    [[nodiscard]] static QStringList otherLanguagesBeside(const QString& englishPath);

    /** The number of word forms. */
    [[nodiscard]] qsizetype size() const { return static_cast<qsizetype>(m_forms.size()); }

    /**
     * True when `word` is spelled right: as written, or, when it is capitalised or written in
     * capitals, in lower case or capitalised ("The", "PARIS").
     */
    [[nodiscard]] bool isKnown(const QString& word) const;

    /** True when exactly this spelling is a listed form. */
    [[nodiscard]] bool hasForm(const QString& word) const;

    /** `hasForm` on a view, for callers that build many candidate spellings in one buffer. */
    [[nodiscard]] bool hasForm(std::u16string_view word) const;

    /**
     * True when the lower-case `word` begins with two letters that begin a few listed forms and
     * ends with two letters that end a few. "gcloud", "lsblk" and "systemd" fail: they are names, not
     * English words mistyped, since a slip seldom makes a start or an end no word has. Always true for
     * a dictionary made with `fromEntries`, whose few words say nothing about English.
     */
    [[nodiscard]] bool hasWordlikeEdges(const QString& word) const;

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

    class Affixes;

    void addEntry(QStringView line, const Affixes& affixes);
    void addForm(const QString& form);
    void buildBloom();
    void collectEdges();
    bool mayContain(size_t hash) const;

    std::unordered_set<std::u16string, ViewHash, std::equal_to<>> m_forms;
    /**
     * A Bloom filter over the forms. Almost every spelling a correction tries is not a word; this
     * bit array rules most of them out without a trip through the hash table.
     */
    std::vector<quint64> m_bloom;
    size_t m_bloomMask = 0;
    /** The first two and the last two letters of lower-case forms, with how many forms have them. */
    std::unordered_map<char32_t, int> m_starts;
    std::unordered_map<char32_t, int> m_ends;
};

} // namespace quillora
