#include "rules/SpellingCorrector.h"

#include "rules/Lexicon.h"
#include "rules/SpellingDictionary.h"

#include <array>
#include <cmath>

#include <QSet>
#include <QStringList>

namespace quillora {

namespace {

// Bounds the memory that unusual words can take; the everyday ones come back quickly.
constexpr qsizetype kMaxRememberedAnswers = 20000;

// How much better than the next the best candidate must score to be taken; a word two slips
// away has more rivals out of reach of the search, so it must stand out further.
constexpr double kClearMargin = 1.25;
constexpr double kClearMarginTwoEdits = 1.5;

// How often a word must be used to be weighed as two slips away: rare words ("limbus", "libido")
// are that close to many a program's name.
constexpr int kFewestUsesTwoEdits = 5;

// How likely a swap of two neighbours and a letter typed twice are, as `slipLikelihood` rates them.
constexpr double kSwapSlip = 4;
constexpr double kDoubledSlip = 3.5;

// How often a short word must be used for a slip of it to be corrected: the everyday words only.
constexpr int kEverydayUses = 200;

// Writers seldom mistype the first letter of a word, so a slip there other than a swap counts this much less.
constexpr double kFirstLetterSlip = 0.5;

bool isPlainWord(const QString& word)
{
    for (const QChar c : word) {
        if (!c.isLetter()) {
            return false;
        }
    }
    return true;
}

/** Where a letter sits on a QWERTY keyboard: row and column. */
std::pair<int, int> keyPosition(QChar c)
{
    static const std::array<QLatin1String, 3> rows = {QLatin1String("qwertyuiop"), QLatin1String("asdfghjkl"),
                                                      QLatin1String("zxcvbnm")};
    for (int row = 0; row < 3; ++row) {
        const qsizetype column = QString(rows[static_cast<size_t>(row)]).indexOf(c);
        if (column >= 0) {
            return {row, static_cast<int>(column)};
        }
    }
    return {-9, -9};
}

bool neighbouringKeys(QChar a, QChar b)
{
    const auto [rowA, columnA] = keyPosition(a);
    const auto [rowB, columnB] = keyPosition(b);
    return std::abs(rowA - rowB) <= 1 && std::abs(columnA - columnB) <= 1;
}

bool isVowelLetter(QChar c)
{
    return QStringLiteral("aeiouy").contains(c);
}

/** True when `candidate` is `word` with two neighbouring letters cut out ("recommenders", "recommends"). */
/** True when `candidate` is `word` in the other of the American and British spellings ("-ize", "-ise"). */
bool isOtherSpelling(const QString& word, const QString& candidate)
{
    if (word.size() != candidate.size()) {
        return false;
    }
    for (qsizetype i = 0; i < word.size(); ++i) {
        if (word.at(i) != candidate.at(i)) {
            const QString pair = QString(word.at(i)) + candidate.at(i);
            return (pair == QLatin1String("zs") || pair == QLatin1String("sz")) &&
                   word.mid(i + 1) == candidate.mid(i + 1);
        }
    }
    return false;
}

bool isCut(const QString& word, const QString& candidate)
{
    if (word.size() != candidate.size() + 2) {
        return false;
    }
    for (qsizetype i = 0; i + 2 <= word.size(); ++i) {
        if (word.left(i) + word.mid(i + 2) == candidate) {
            return true;
        }
    }
    return false;
}

/** True when `word` ends in a plural or third-person "s" ("books", "runs"), not "class" or "bus". */
bool endsInS(const QString& word)
{
    return word.size() > 3 && word.endsWith(QLatin1Char('s')) && !word.endsWith(QLatin1String("ss")) &&
           !word.endsWith(QLatin1String("us")) && !word.endsWith(QLatin1String("is"));
}

/**
 * True when `candidate` keeps the number and tense `word` shows: a misspelled plural stays plural,
 * a past stays past, an "-ing" form stays one.
 */
bool keepsForm(const QString& word, const QString& candidate)
{
    // A slip may hide an ending ("playng", "attachd"), but one that is written stays.
    for (const QLatin1String ending : {QLatin1String("ed"), QLatin1String("ing")}) {
        if (word.endsWith(ending) && !candidate.endsWith(ending)) {
            return false;
        }
    }
    return endsInS(word) == endsInS(candidate);
}

} // namespace

SpellingCorrector::SpellingCorrector(std::shared_ptr<const SpellingDictionary> dictionary,
                                     std::shared_ptr<const Lexicon> lexicon)
    : m_dictionary(std::move(dictionary))
    , m_lexicon(std::move(lexicon))
{
}

std::optional<QString> SpellingCorrector::correct(const QString& word, bool sentenceStart)
{
    if (word.size() < 3 || !isPlainWord(word)) {
        return std::nullopt;
    }
    const QString rest = word.mid(1);
    if (rest != rest.toLower() || (word.at(0).isUpper() && !sentenceStart)) {
        return std::nullopt;
    }
    // A name the dictionary lists with its capital ("Firefox") is known as written.
    if (word.at(0).isUpper() && m_dictionary->hasForm(word)) {
        return std::nullopt;
    }
    const QString lower = word.toLower();
    auto answer = m_answers.constFind(lower);
    if (answer == m_answers.constEnd() &&
        (m_lexicon->inList(QStringLiteral("shorthand"), lower) || m_dictionary->isKnown(lower))) {
        answer = remember(lower, lower);
    }
    if (answer != m_answers.constEnd() && *answer == lower) {
        return std::nullopt;
    }
    // Every unknown word counts against the budget, remembered or not, so that the result depends
    // on the text alone and not on what was corrected before.
    if (m_budget <= 0) {
        return std::nullopt;
    }
    --m_budget;
    if (answer == m_answers.constEnd()) {
        answer = remember(lower, lookUp(lower).value_or(QString()));
    }
    // A capitalised word no dictionary knows is a name more often than a word two slips away.
    if (word.at(0).isUpper() && !answer->isEmpty() && m_lexicon->misspelling(lower).isEmpty() &&
        !m_dictionary->candidates(lower).contains(*answer)) {
        return std::nullopt;
    }
    if (answer->isEmpty()) {
        return std::nullopt;
    }
    QString corrected = *answer;
    if (word.at(0).isUpper()) {
        corrected[0] = corrected.at(0).toUpper();
    }
    return corrected;
}

QHash<QString, QString>::const_iterator SpellingCorrector::remember(const QString& lower, const QString& answer)
{
    if (m_answers.size() >= kMaxRememberedAnswers) {
        m_answers.clear();
    }
    return m_answers.insert(lower, answer);
}

void SpellingCorrector::setBudget(int unknownWords)
{
    m_budget = unknownWords;
}

std::optional<QString> SpellingCorrector::lookUp(const QString& lower) const
{
    for (const QString& listed : {m_lexicon->misspelling(lower), m_lexicon->irregularPast(lower)}) {
        if (!listed.isEmpty()) {
            return listed;
        }
    }
    // Only names everyone writes with a capital ("monday", "english"); a lower-case word the
    // dictionary knows as a name is as often a program ("perl") or a common noun in use.
    // Four letters or fewer leave too many words one slip away, and short unknown words are mostly
    // names and abbreviations ("pid", "tset"): only two swapped letters or one typed twice that
    // make an everyday word are corrected there ("ahve", "addd").
    if (lower.size() <= 4) {
        return shortSlip(lower);
    }
    const QString name = lower.left(1).toUpper() + lower.mid(1);
    if (m_lexicon->inList(QStringLiteral("lower-case-names"), lower) && m_dictionary->hasForm(name)) {
        return name;
    }
    const Ranking oneEdit = best(lower, m_dictionary->candidates(lower), false);
    if (oneEdit.word) {
        return oneEdit.word;
    }
    // Two slips in one short word leave too many words within reach; when words one slip away
    // were too close to call, a word two slips away is no surer; and two long words run together
    // ("charstring") are a name more often than two slips.
    if (lower.size() < 5 || oneEdit.weighed > 0 || isCompound(lower)) {
        return std::nullopt;
    }
    return best(lower, twoEditsAway(lower), true).word;
}

std::optional<QString> SpellingCorrector::shortSlip(const QString& lower) const
{
    std::optional<QString> found;
    for (const QString& candidate : m_dictionary->candidates(lower)) {
        const bool swapped = candidate.size() == lower.size() && slipLikelihood(lower, candidate) >= kSwapSlip;
        const bool doubled = candidate.size() + 1 == lower.size() && slipLikelihood(lower, candidate) >= kDoubledSlip;
        if ((swapped || doubled) && m_lexicon->frequency(candidate) >= kEverydayUses) {
            if (found) {
                return std::nullopt;
            }
            found = candidate;
        }
    }
    return found;
}

int SpellingCorrector::usage(const QString& word) const
{
    // Sense counts are kept for base forms: "allocations" is as common as "allocation" says.
    int best = m_lexicon->frequency(word);
    const auto consider = [&](const QString& base) {
        if (!base.isEmpty() && base != word) {
            best = std::max(best, m_lexicon->frequency(base));
        }
    };
    consider(m_lexicon->baseOfThirdPerson(word));
    consider(m_lexicon->baseOfPast(word));
    if (word.size() > 4 && word.endsWith(QLatin1Char('s'))) {
        consider(word.left(word.size() - 1));
        if (word.endsWith(QLatin1String("ies"))) {
            consider(word.left(word.size() - 3) + QLatin1Char('y'));
        } else if (word.endsWith(QLatin1String("es"))) {
            consider(word.left(word.size() - 2));
        }
    }
    for (const QLatin1String ending : {QLatin1String("ing"), QLatin1String("ly")}) {
        if (word.size() > ending.size() + 3 && word.endsWith(ending)) {
            const QString stem = word.left(word.size() - ending.size());
            consider(stem);
            consider(stem + QLatin1Char('e'));
        }
    }
    return best;
}

double SpellingCorrector::slipLikelihood(const QString& word, const QString& candidate) const
{
    // Find the first and last differing positions; a slip of one kind shows there.
    qsizetype start = 0;
    while (start < word.size() && start < candidate.size() && word.at(start) == candidate.at(start)) {
        ++start;
    }
    // Two swapped letters are as likely first as anywhere else ("hte").
    const double likelihood = slipAt(word, candidate, start);
    return start == 0 && likelihood != kSwapSlip ? kFirstLetterSlip * likelihood : likelihood;
}

double SpellingCorrector::slipAt(const QString& word, const QString& candidate, qsizetype start) const
{
    if (word.size() == candidate.size()) {
        if (start + 1 < word.size() && word.at(start) == candidate.at(start + 1) &&
            word.at(start + 1) == candidate.at(start)) {
            return kSwapSlip;
        }
        if (start < word.size()) {
            const QChar a = word.at(start);
            const QChar b = candidate.at(start);
            return neighbouringKeys(a, b) ? 3 : (isVowelLetter(a) && isVowelLetter(b) ? 2.5 : 1);
        }
        return 1;
    }
    // A letter left out or typed twice is a common slip; so is one from a neighbouring key.
    const QString& longer = word.size() > candidate.size() ? word : candidate;
    const QChar extra = longer.at(std::min(start, longer.size() - 1));
    const bool doubled =
        (start > 0 && longer.at(start - 1) == extra) || (start + 1 < longer.size() && longer.at(start + 1) == extra);
    // A key held too long types a letter three times ("pizzzas"): nothing else is as likely.
    const bool tripled = doubled && longer.count(QString(3, extra)) > 0 && word.size() > candidate.size();
    return tripled ? 6 : (doubled ? kDoubledSlip : 2);
}

SpellingCorrector::Ranking SpellingCorrector::best(const QString& lower, const QStringList& candidates,
                                                   bool secondEdit) const
{
    Ranking ranking;
    const QString* bestWord = nullptr;
    double bestScore = 0;
    double secondScore = 0;
    for (const QString& candidate : candidates) {
        // A letter before a word is a prefix of a name ("gcloud", "xprop") far more often than a
        // slip, unless it is the first letter typed twice ("aaccess").
        if (!keepsForm(lower, candidate) || m_lexicon->inList(QStringLiteral("taboo"), candidate) ||
            (candidate == lower.mid(1) && lower.at(0) != lower.at(1)) || isOtherSpelling(lower, candidate) ||
            (secondEdit && (isCut(lower, candidate) || candidate.at(0) != lower.at(0)))) {
            continue;
        }
        ++ranking.weighed;
        const int frequency = usage(candidate);
        // Words nobody uses ("wich", a rare plant name) are no help; WordNet lists the words in use.
        const double common = frequency > 0 ? std::log2(2.0 + frequency) : (inWordNet(candidate) ? 1.0 : 0.5);
        const double score = common * (secondEdit ? 1.0 : slipLikelihood(lower, candidate));
        if (score > bestScore) {
            secondScore = bestScore;
            bestScore = score;
            bestWord = &candidate;
        } else if (score > secondScore) {
            secondScore = score;
        }
    }
    if (bestWord == nullptr) {
        return ranking;
    }
    // Sure enough: a word in use that is the only candidate or clearly beats the next.
    const bool knownWord = usage(*bestWord) > 0 || inWordNet(*bestWord);
    if ((ranking.weighed == 1 && (knownWord || lower.size() >= 5)) ||
        (knownWord && bestScore >= (secondEdit ? kClearMarginTwoEdits : kClearMargin) * secondScore)) {
        ranking.word = *bestWord;
    }
    return ranking;
}

bool SpellingCorrector::isCompound(const QString& lower) const
{
    for (qsizetype split = 4; split + 4 <= lower.size(); ++split) {
        const QString head = lower.left(split);
        const QString tail = lower.mid(split);
        if (m_dictionary->hasForm(head) && m_dictionary->hasForm(tail) && inWordNet(head) && inWordNet(tail)) {
            return true;
        }
    }
    return false;
}

bool SpellingCorrector::inWordNet(const QString& word) const
{
    const auto known = [this](const QString& form) {
        return !form.isEmpty() && (m_lexicon->isNoun(form) || m_lexicon->isVerb(form) || m_lexicon->isAdjective(form) ||
                                   m_lexicon->isAdverb(form));
    };
    if (known(word) || known(m_lexicon->baseOfPast(word)) || known(m_lexicon->baseOfThirdPerson(word))) {
        return true;
    }
    for (const QLatin1String ending :
         {QLatin1String("s"), QLatin1String("es"), QLatin1String("ing"), QLatin1String("ly")}) {
        if (word.size() > ending.size() + 3 && word.endsWith(ending)) {
            const QString stem = word.left(word.size() - ending.size());
            if (known(stem) || known(stem + QLatin1Char('e'))) {
                return true;
            }
        }
    }
    return false;
}

QStringList SpellingCorrector::twoEditsAway(const QString& lower) const
{
    // The first slip is taken among deletions, swaps, a letter not doubled and vowel changes, the
    // usual ones in long words.
    QStringList found;
    const auto tryFrom = [&](const QString& once) {
        for (const QString& candidate : m_dictionary->candidates(once)) {
            if (!found.contains(candidate) && usage(candidate) >= kFewestUsesTwoEdits) {
                found.append(candidate);
            }
        }
    };
    for (qsizetype i = 0; i < lower.size(); ++i) {
        tryFrom(lower.left(i) + lower.mid(i + 1));
        if (i + 1 < lower.size()) {
            QString swapped = lower;
            std::swap(swapped[i], swapped[i + 1]);
            tryFrom(swapped);
        }
        if (i == 0 || lower.at(i - 1) != lower.at(i)) {
            tryFrom(lower.left(i + 1) + lower.mid(i));
        }
        if (isVowelLetter(lower.at(i))) {
            for (const QChar vowel : QStringLiteral("aeiou")) {
                if (vowel != lower.at(i)) {
                    QString changed = lower;
                    changed[i] = vowel;
                    tryFrom(changed);
                }
            }
        }
    }
    return found;
}

} // namespace quillora
