#include "rules/WordProtector.h"

#include "rules/Lexicon.h"
#include "rules/SentenceFormatter.h"
#include "rules/SpellingDictionary.h"

#include <QStringList>

namespace quillora {

namespace {

using Kind = TextToken::Kind;

// Two words of another language make a sentence a mixed one; one may be a loan word ("fiancé").
constexpr int kOtherLanguageWordsOfMixedSentence = 2;

// Lower-case words in single quotation marks are text to type or a value, not prose ('who am i'),
// when there are this many at most.
constexpr int kWordsOfQuotedLiteral = 4;

// How often WordNet must use a word for a slip of it to outweigh the look of a name.
constexpr int kCommonWordUses = 5;

/** A verbatim token that is code, a path, an option or a version number, not an abbreviation or emoticon. */
bool isCodeLike(const TextToken& token)
{
    if (!token.is(Kind::Verbatim)) {
        return false;
    }
    const QString& text = token.text;
    if (text.startsWith(QLatin1Char('-')) || text.contains(QLatin1Char('/')) || text.contains(QLatin1Char('\\')) ||
        text.contains(QLatin1Char('_')) || text.contains(QLatin1Char('=')) || text.contains(QLatin1Char('`'))) {
        return true;
    }
    bool digit = false;
    for (const QChar c : text) {
        digit = digit || c.isDigit();
    }
    return digit && text.contains(QLatin1Char('.'));
}

bool hasVowel(const QString& lower)
{
    for (const QChar c : lower) {
        if (QStringLiteral("aeiou").contains(c)) {
            return true;
        }
    }
    return false;
}

bool isCamelCase(const QString& word)
{
    for (qsizetype i = 1; i < word.size(); ++i) {
        if (word.at(i).isUpper() && word.at(i - 1).isLower()) {
            return true;
        }
    }
    return false;
}

/** The token next to `index` across at most one space, in `step` direction, or null. */
const TextToken* neighbour(const TokenList& tokens, size_t index, int step)
{
    qsizetype j = static_cast<qsizetype>(index) + step;
    if (j >= 0 && j < static_cast<qsizetype>(tokens.size()) && tokens[static_cast<size_t>(j)].is(Kind::Space)) {
        j += step;
    }
    return j >= 0 && j < static_cast<qsizetype>(tokens.size()) ? &tokens[static_cast<size_t>(j)] : nullptr;
}

} // namespace

WordProtector::WordProtector(const SpellingDictionary& english, const SpellingDictionary* otherLanguages,
                             const Lexicon& lexicon)
    : m_english(english)
    , m_otherLanguages(otherLanguages)
    , m_lexicon(lexicon)
{
    for (const PhraseRule& rule : lexicon.phrases(QStringLiteral("corrections"))) {
        if (!rule.pattern.contains(QLatin1Char(' '))) {
            m_correctedWords.insert(rule.pattern);
        }
    }
}

bool WordProtector::isEnglish(const QString& word) const
{
    const QString lower = word.toLower();
    return m_english.isKnown(word) || lower == QLatin1String("i") ||
           m_lexicon.inList(QStringLiteral("shorthand"), lower) ||
           m_lexicon.inList(QStringLiteral("lower-case-names"), lower);
}

bool WordProtector::isListedCorrection(const QString& lower) const
{
    return !m_lexicon.misspelling(lower).isEmpty() || !m_lexicon.irregularPast(lower).isEmpty() ||
           m_correctedWords.contains(lower);
}

bool WordProtector::isOtherLanguage(const QString& word) const
{
    return m_otherLanguages != nullptr && word.size() > 1 && m_otherLanguages->isKnown(word);
}

bool WordProtector::isLoanWord(const QString& word, bool quoted) const
{
    // A plain lower-case word alone among English ones is a slip far more often than a loan
    // ("profesor", "commiter"); a loan shows its origin by an accent, an apostrophe, a capital or
    // quotation marks ("hasta luego").
    bool marked = quoted;
    for (const QChar c : word) {
        marked = marked || c.unicode() > 0x7F || !c.isLower();
    }
    return marked && isOtherLanguage(word);
}

bool WordProtector::isTechnicalPart(const QString& part) const
{
    const QString lower = part.toLower();
    if (m_lexicon.inList(QStringLiteral("software-names"), lower) || m_lexicon.isInstalledName(lower) ||
        !hasVowel(lower) || isCamelCase(part)) {
        return true;
    }
    // Two everyday words run together ("groupadd", "taskset", "masterfiles") name a program or a
    // file, unless a slip of a common word makes them ("youself", "tanslate").
    for (qsizetype split = 3; split + 3 <= lower.size(); ++split) {
        const QString head = lower.left(split);
        const QString tail = lower.mid(split);
        if (m_english.hasForm(head) && m_english.hasForm(tail) && m_lexicon.frequency(head) > 0 &&
            m_lexicon.frequency(tail) > 0) {
            return !isSlipOfCommonWord(lower);
        }
    }
    // A prefix before a known word makes a new one ("deconfigure", "unmerged"), as does a letter
    // before a command or a consonant before a word ("kinit", "klist"): names, not slips, unless
    // the consonant is a slip of a common word's own letters ("slect", "bcause").
    static const QStringList prefixes = {QStringLiteral("un"),    QStringLiteral("re"),    QStringLiteral("de"),
                                         QStringLiteral("pre"),   QStringLiteral("non"),   QStringLiteral("sub"),
                                         QStringLiteral("multi"), QStringLiteral("inter"), QStringLiteral("over")};
    for (const QString& prefix : prefixes) {
        if (lower.startsWith(prefix) && lower.size() - prefix.size() >= 4 &&
            m_english.hasForm(lower.mid(prefix.size()))) {
            return true;
        }
    }
    const QString rest = lower.mid(1);
    const bool consonants = !hasVowel(lower.left(2)) && lower.at(0) != lower.at(1) && lower.at(1) != QLatin1Char('y');
    if (rest.size() >= 4 && consonants && m_english.hasForm(rest)) {
        return !isSlipOfCommonWord(lower);
    }
    if (rest.size() >= 4 && (m_lexicon.inList(QStringLiteral("software-names"), rest) ||
                             (m_lexicon.isInstalledName(rest) && !m_english.hasForm(rest)))) {
        return true;
    }
    // Unusual edges made by two swapped letters ("flihgt", "overdeu") or a letter typed twice
    // ("aaccess") are a slip, not a name.
    return !m_english.hasWordlikeEdges(lower) && !isSlipOfKnownWord(lower);
}

bool WordProtector::isSlipOfCommonWord(const QString& lower) const
{
    for (const QString& candidate : m_english.candidates(lower)) {
        // A letter more than a word is a coinage as often as a slip ("parsable"), unless it is a
        // letter typed twice; a letter before a word makes a name ("kinit").
        const bool cut = candidate.size() < lower.size() && !isSlipOfKnownWord(lower);
        if (!cut && candidate != lower.mid(1) && candidate.at(0) == lower.at(0) &&
            m_lexicon.frequency(candidate) >= kCommonWordUses) {
            return true;
        }
    }
    return false;
}

bool WordProtector::isSlipOfKnownWord(const QString& lower) const
{
    for (qsizetype i = 0; i + 1 < lower.size(); ++i) {
        QString slip = lower;
        if (lower.at(i) == lower.at(i + 1)) {
            slip.remove(i, 1);
        } else {
            std::swap(slip[i], slip[i + 1]);
        }
        if (m_english.hasForm(slip)) {
            return true;
        }
    }
    // An "e" left out of an ending: "delayd", "switchs".
    const qsizetype last = lower.size() - 1;
    return last > 0 && (lower.at(last) == QLatin1Char('d') || lower.at(last) == QLatin1Char('s')) &&
           m_english.hasForm(lower.left(last) + QLatin1Char('e') + lower.at(last));
}

bool WordProtector::looksTechnical(const TokenList& tokens, size_t index) const
{
    const QString& word = tokens[index].text;
    for (const QString& part : word.split(QLatin1Char('-'))) {
        if (!part.isEmpty() && !isEnglish(part) && isTechnicalPart(part)) {
            return true;
        }
    }
    for (const int step : {-1, 1}) {
        const TextToken* next = neighbour(tokens, index, step);
        if (next != nullptr && isCodeLike(*next)) {
            return true;
        }
    }
    return word.at(0).isLower() && SentenceFormatter::startsSentence(tokens, index);
}

void WordProtector::protectQuotedLiterals(TokenList& tokens)
{
    for (size_t open = 0; open < tokens.size(); ++open) {
        // An opening quote follows a space or starts the text; a closing one ends a word.
        if (!tokens[open].isPunct(QLatin1Char('\'')) || (open > 0 && !tokens[open - 1].is(Kind::Space))) {
            continue;
        }
        int words = 0;
        bool lowerCase = true;
        size_t close = open + 1;
        for (; close < tokens.size() && !tokens[close].isPunct(QLatin1Char('\'')); ++close) {
            const TextToken& token = tokens[close];
            if (token.is(Kind::Newline) || token.endsSentence()) {
                break;
            }
            words += token.is(Kind::Word) ? 1 : 0;
            lowerCase = lowerCase && (!token.is(Kind::Word) || token.text == token.text.toLower());
        }
        if (close >= tokens.size() || !tokens[close].isPunct(QLatin1Char('\'')) || words == 0 ||
            words > kWordsOfQuotedLiteral || !lowerCase) {
            continue;
        }
        for (size_t k = open + 1; k < close; ++k) {
            if (tokens[k].is(Kind::Word)) {
                tokens[k].kind = Kind::Verbatim;
            }
        }
        open = close;
    }
}

void WordProtector::protect(TokenList& tokens) const
{
    protectQuotedLiterals(tokens);
    size_t begin = 0;
    for (size_t i = 0; i <= tokens.size(); ++i) {
        // Languages are told apart clause by clause: "we can ship it, aber wir muessen noch pruefen".
        const bool clauseEnd = i == tokens.size() || tokens[i].endsSentence() || tokens[i].is(Kind::Newline) ||
                               tokens[i].isPunct(QLatin1Char(',')) || tokens[i].isPunct(QLatin1Char(';')) ||
                               tokens[i].isPunct(QLatin1Char(':'));
        if (!clauseEnd) {
            continue;
        }
        int otherLanguageWords = 0;
        for (size_t k = begin; k < i; ++k) {
            const TextToken& token = tokens[k];
            otherLanguageWords += token.is(Kind::Word) && !isEnglish(token.text) &&
                                          !isListedCorrection(token.text.toLower()) && isOtherLanguage(token.text)
                                      ? 1
                                      : 0;
        }
        const bool mixed = otherLanguageWords >= kOtherLanguageWordsOfMixedSentence;
        int quotes = 0;
        for (size_t k = begin; k < i; ++k) {
            TextToken& token = tokens[k];
            quotes += token.isPunct(QLatin1Char('"')) ? 1 : 0;
            if (!token.is(Kind::Word)) {
                continue;
            }
            // A command's name opening a sentence keeps its lower case: "grep finds the line".
            const bool lowerCaseName = token.text.at(0).isLower() &&
                                       (m_lexicon.inList(QStringLiteral("software-names"), token.text) ||
                                        (m_lexicon.isInstalledName(token.text) && !isEnglish(token.text))) &&
                                       SentenceFormatter::startsSentence(tokens, k);
            if (lowerCaseName) {
                token.kind = Kind::Verbatim;
            }
            if (!token.is(Kind::Word) || isEnglish(token.text)) {
                continue;
            }
            const bool listed = isListedCorrection(token.text.toLower());
            // A word alone in quotation marks is a literal value: "emerg", "crit".
            const bool quoted = k > 0 && k + 1 < tokens.size() && tokens[k - 1].isPunct(QLatin1Char('"')) &&
                                tokens[k + 1].isPunct(QLatin1Char('"'));
            if (mixed || quoted ||
                (!listed && (isLoanWord(token.text, quotes % 2 == 1) || looksTechnical(tokens, k)))) {
                token.kind = Kind::Verbatim;
            }
        }
        begin = i + 1;
    }
}

} // namespace quillora
