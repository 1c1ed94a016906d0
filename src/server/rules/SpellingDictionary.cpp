#include "server/rules/SpellingDictionary.h"

#include "server/ServerError.h"

#include <QFile>

#include <algorithm>
#include <array>
#include <string_view>

namespace quillora {

namespace {

constexpr quint64 flag(char letter)
{
    return letter >= 'a' ? (quint64(1) << (26 + (letter - 'a'))) : (quint64(1) << (letter - 'A'));
}

enum class StemEnd {
    Any,
    E,
    NotE,
    ConsonantY,
    VowelY,
    Sibilant,
    NotSibilantOrY,
    NotEOrY,
    NotY,
};

struct SuffixRule
{
    const char* suffix;
    const char* restore;
    char flag;
    StemEnd stemEnd;
};

// The suffix rules of the English hunspell affix file that cover everyday word forms.
constexpr std::array<SuffixRule, 25> kSuffixRules = {{
    {"ies", "y", 'S', StemEnd::ConsonantY},
    {"es", "", 'S', StemEnd::Sibilant},
    {"s", "", 'S', StemEnd::VowelY},
    {"s", "", 'S', StemEnd::NotSibilantOrY},
    {"ied", "y", 'D', StemEnd::ConsonantY},
    {"d", "", 'D', StemEnd::E},
    {"ed", "", 'D', StemEnd::NotEOrY},
    {"ed", "", 'D', StemEnd::VowelY},
    {"ing", "e", 'G', StemEnd::E},
    {"ing", "", 'G', StemEnd::NotE},
    {"'s", "", 'M', StemEnd::Any},
    {"ier", "y", 'R', StemEnd::ConsonantY},
    {"r", "", 'R', StemEnd::E},
    {"er", "", 'R', StemEnd::NotEOrY},
    {"er", "", 'R', StemEnd::VowelY},
    {"iest", "y", 'T', StemEnd::ConsonantY},
    {"st", "", 'T', StemEnd::E},
    {"est", "", 'T', StemEnd::NotEOrY},
    {"est", "", 'T', StemEnd::VowelY},
    {"ly", "", 'Y', StemEnd::Any},
    {"iness", "y", 'P', StemEnd::ConsonantY},
    {"ness", "", 'P', StemEnd::NotY},
    {"ness", "", 'P', StemEnd::VowelY},
    {"ers", "", 'Z', StemEnd::NotEOrY},
    {"rs", "", 'Z', StemEnd::E},
}};

struct PrefixRule
{
    const char* prefix;
    char flag;
};

constexpr std::array<PrefixRule, 7> kPrefixRules = {{
    {"re", 'A'},
    {"in", 'I'},
    {"un", 'U'},
    {"de", 'C'},
    {"dis", 'E'},
    {"con", 'F'},
    {"pro", 'K'},
}};

// 2^20 bits: 128 KiB, about 13 bits per stem, so two probes let through about 2 % of misses.
constexpr size_t kBloomBits = size_t(1) << 20;

std::pair<size_t, size_t> bloomProbes(size_t hash)
{
    const size_t second = (hash >> 32) | (hash << 32);
    return {hash % kBloomBits, (second * 0x9E3779B97F4A7C15ULL) % kBloomBits};
}

// Words longer than this are not English words; they are neither looked up nor corrected.
constexpr size_t kMaxWordLength = 48;

char16_t lowerAscii(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
}

bool isVowel(char16_t c)
{
    return std::u16string_view(u"aeiou").find(lowerAscii(c)) != std::u16string_view::npos;
}

bool stemEndMatches(std::u16string_view stem, StemEnd end)
{
    if (stem.empty()) {
        return false;
    }
    const char16_t last = lowerAscii(stem.back());
    const bool hasBeforeLast = stem.size() > 1;
    const char16_t beforeLast = hasBeforeLast ? stem[stem.size() - 2] : u'\0';
    const auto among = [last](std::u16string_view letters) { return letters.find(last) != std::u16string_view::npos; };
    switch (end) {
    case StemEnd::Any:
        return true;
    case StemEnd::E:
        return last == u'e';
    case StemEnd::NotE:
        return last != u'e';
    case StemEnd::ConsonantY:
        return last == u'y' && hasBeforeLast && !isVowel(beforeLast);
    case StemEnd::VowelY:
        return last == u'y' && hasBeforeLast && isVowel(beforeLast);
    case StemEnd::Sibilant:
        return among(u"sxzh");
    case StemEnd::NotSibilantOrY:
        return !among(u"sxzhy");
    case StemEnd::NotEOrY:
        return last != u'e' && last != u'y';
    case StemEnd::NotY:
        return last != u'y';
    }
    return false;
}

/** True when `text` ends with the ASCII `suffix`. */
bool endsWithAscii(std::u16string_view text, std::string_view suffix)
{
    if (text.size() < suffix.size()) {
        return false;
    }
    const std::u16string_view tail = text.substr(text.size() - suffix.size());
    return std::equal(tail.begin(), tail.end(), suffix.begin(), suffix.end(),
                      [](char16_t a, char b) { return a == static_cast<char16_t>(b); });
}

bool startsWithAscii(std::u16string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), text.begin(),
                                                      [](char a, char16_t b) { return static_cast<char16_t>(a) == b; });
}

std::u16string_view viewOf(const QString& text)
{
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size())};
}

QString capitalized(const QString& word)
{
    return word.isEmpty() ? word : word.left(1).toUpper() + word.mid(1);
}

} // namespace

std::shared_ptr<const SpellingDictionary> SpellingDictionary::load(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw ServerError(ServerError::Kind::InvalidOption,
                          QStringLiteral("cannot read the spelling dictionary %1: %2").arg(path, file.errorString()));
    }
    const QString text = QString::fromUtf8(file.readAll());
    auto dictionary = std::shared_ptr<SpellingDictionary>(new SpellingDictionary);
    dictionary->m_flags.reserve(static_cast<size_t>(text.count(QLatin1Char('\n')) + 1));
    bool first = true;
    for (const QStringView line : QStringView(text).split(QLatin1Char('\n'))) {
        // The first line holds the approximate entry count, not a word.
        if (first) {
            first = false;
            continue;
        }
        dictionary->addEntry(line);
    }
    return dictionary;
}

std::shared_ptr<const SpellingDictionary> SpellingDictionary::fromEntries(const QStringList& entries)
{
    auto dictionary = std::shared_ptr<SpellingDictionary>(new SpellingDictionary);
    for (const QString& entry : entries) {
        dictionary->addEntry(entry);
    }
    return dictionary;
}

void SpellingDictionary::addEntry(QStringView line)
{
    line = line.trimmed();
    if (line.isEmpty()) {
        return;
    }
    const qsizetype slash = line.indexOf(QLatin1Char('/'));
    const QStringView word = slash < 0 ? line : line.left(slash);
    quint64 flags = 0;
    if (slash >= 0) {
        for (const QChar c : line.mid(slash + 1)) {
            const char letter = c.toLatin1();
            if ((letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z')) {
                flags |= flag(letter);
            }
        }
    }
    QString key = word.toString();
    key.replace(QChar(0x2019), QLatin1Char('\''));
    const std::u16string_view view = viewOf(key);
    addToBloom(ViewHash{}(view));
    m_flags[std::u16string(view)] |= flags;
}

void SpellingDictionary::addToBloom(size_t hash)
{
    if (m_bloom.empty()) {
        m_bloom.assign(kBloomBits / 64, 0);
    }
    const auto [first, second] = bloomProbes(hash);
    m_bloom[first / 64] |= quint64(1) << (first % 64);
    m_bloom[second / 64] |= quint64(1) << (second % 64);
}

bool SpellingDictionary::mayContain(size_t hash) const
{
    if (m_bloom.empty()) {
        return false;
    }
    const auto [first, second] = bloomProbes(hash);
    return ((m_bloom[first / 64] >> (first % 64)) & 1) != 0 && ((m_bloom[second / 64] >> (second % 64)) & 1) != 0;
}

bool SpellingDictionary::hasStem(std::u16string_view stem, quint64 requiredFlags) const
{
    if (!mayContain(ViewHash{}(stem))) {
        return false;
    }
    const auto found = m_flags.find(stem);
    return found != m_flags.end() && (found->second & requiredFlags) == requiredFlags;
}

bool SpellingDictionary::hasAffixedForm(std::u16string_view word, quint64 requiredFlags) const
{
    if (hasStem(word, requiredFlags)) {
        return true;
    }
    std::array<char16_t, kMaxWordLength + 8> stem{};
    for (const SuffixRule& rule : kSuffixRules) {
        const std::string_view suffix(rule.suffix);
        if (word.size() <= suffix.size() + 1 || !endsWithAscii(word, suffix)) {
            continue;
        }
        // The stem is the word without its suffix, with the letters the suffix replaced put back.
        const size_t kept = word.size() - suffix.size();
        std::copy_n(word.begin(), kept, stem.begin());
        size_t length = kept;
        for (const char* c = rule.restore; *c != '\0'; ++c) {
            stem[length++] = static_cast<char16_t>(*c);
        }
        const std::u16string_view stemView(stem.data(), length);
        if (stemEndMatches(stemView, rule.stemEnd) && hasStem(stemView, requiredFlags | flag(rule.flag))) {
            return true;
        }
    }
    return false;
}

bool SpellingDictionary::hasFormOf(std::u16string_view word) const
{
    if (word.empty() || word.size() > kMaxWordLength) {
        return false;
    }
    if (hasAffixedForm(word, 0)) {
        return true;
    }
    for (const PrefixRule& rule : kPrefixRules) {
        const std::string_view prefix(rule.prefix);
        if (word.size() > prefix.size() + 2 && startsWithAscii(word, prefix) &&
            hasAffixedForm(word.substr(prefix.size()), flag(rule.flag))) {
            return true;
        }
    }
    return false;
}

bool SpellingDictionary::hasForm(const QString& word) const
{
    return hasFormOf(viewOf(word));
}

bool SpellingDictionary::isKnown(const QString& word) const
{
    QString normalized = word;
    normalized.replace(QChar(0x2019), QLatin1Char('\''));
    if (hasForm(normalized)) {
        return true;
    }
    // A capital at the start of a sentence, or a word written in capitals; other mixed case is not English.
    const QString lower = normalized.toLower();
    const bool capitalizedForm = normalized == capitalized(lower);
    const bool allCaps = normalized == normalized.toUpper();
    return (capitalizedForm || allCaps) && lower != normalized && (hasForm(lower) || hasForm(capitalized(lower)));
}

QStringList SpellingDictionary::candidates(const QString& word) const
{
    QStringList found;
    const std::u16string_view base = viewOf(word);
    if (base.size() > kMaxWordLength) {
        return found;
    }
    // Every edit is made in one buffer and looked up as a view: no string is made for a miss.
    std::u16string edit;
    edit.reserve(base.size() + 1);
    const auto consider = [&] {
        if (!edit.empty() && hasFormOf(edit)) {
            const QString candidate = QString::fromUtf16(edit.data(), static_cast<qsizetype>(edit.size()));
            // Different edits can make the same word.
            if (!found.contains(candidate)) {
                found.append(candidate);
            }
        }
    };
    const std::u16string_view alphabet = u"abcdefghijklmnopqrstuvwxyz";
    const size_t length = base.size();
    for (size_t i = 0; i + 1 < length; ++i) {
        edit.assign(base);
        std::swap(edit[i], edit[i + 1]);
        consider();
    }
    for (size_t i = 0; i < length; ++i) {
        edit.assign(base);
        edit.erase(i, 1);
        consider();
    }
    for (size_t i = 0; i < length; ++i) {
        for (const char16_t c : alphabet) {
            if (c != base[i]) {
                edit.assign(base);
                edit[i] = c;
                consider();
            }
        }
    }
    for (size_t i = 0; i <= length; ++i) {
        for (const char16_t c : alphabet) {
            edit.assign(base);
            edit.insert(edit.begin() + static_cast<std::ptrdiff_t>(i), c);
            consider();
        }
    }
    return found;
}

} // namespace quillora
