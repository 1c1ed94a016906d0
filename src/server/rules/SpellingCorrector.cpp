#include "server/rules/SpellingCorrector.h"

#include "server/rules/SpellingDictionary.h"

#include <QSet>
#include <QStringList>

namespace quillora {

namespace {

// Bounds the memory that unusual words can take; the everyday ones come back quickly.
constexpr qsizetype kMaxRememberedAnswers = 20000;

// Everyday English words, most frequent first; they break ties between corrections.
int frequencyRank(const QString& word)
{
    static const QHash<QString, int> ranks = [] {
        const QStringList words =
            QStringLiteral(
                "the be to of and a in that have it for not on with he as you do at this but his by from they we say "
                "her "
                "she or an will my one all would there their what so up out if about who get which go me when make can "
                "like time no just him know take people into year your good some could them see other than then now "
                "look "
                "only come its over think also back after use two how our work first well way even new want because "
                "any "
                "these give day most us is was are were been has had did said made went got very much more many here "
                "where why too still should need feel try ask leave call keep let help show hear play run move live "
                "believe hold bring happen write provide sit stand lose pay meet include continue set learn change "
                "lead "
                "understand watch follow stop create speak read spend grow open walk win offer remember love consider "
                "appear buy wait serve die send expect build stay fall cut reach kill remain suggest raise pass sell "
                "require report decide pull thing man woman child world life hand part place case week company system "
                "program question government number night point home water room mother area money story fact month lot "
                "right study book eye job word business issue side kind head house service friend father power hour "
                "game "
                "line end member law car city community name president team minute idea kid body information school "
                "face others level office door health person art war history party result morning reason research girl "
                "guy moment air teacher force education meeting thanks thank please today tomorrow really")
                .split(QLatin1Char(' '));
        QHash<QString, int> table;
        for (int i = 0; i < words.size(); ++i) {
            table.insert(words.at(i), i);
        }
        return table;
    }();
    return ranks.value(word, -1);
}

// Chat shorthand and acronyms people write in lower case; they are meant as written.
bool isShorthand(const QString& lower)
{
    static const QSet<QString> shorthand = [] {
        QSet<QString> set;
        for (const QString& word : QStringLiteral("lol btw imo imho omg thx pls plz fyi asap tbh idk brb afaik irl ok "
                                                  "okay gonna wanna gotta kinda sorta yeah yep nope cya np dm rn tbd "
                                                  "eta aka diy faq api url pdf ceo cto hr ux ui etc msg info pic pics "
                                                  "app apps")
                                       .split(QLatin1Char(' '))) {
            set.insert(word);
        }
        return set;
    }();
    return shorthand.contains(lower);
}

bool isPlainWord(const QString& word)
{
    for (const QChar c : word) {
        if (!c.isLetter()) {
            return false;
        }
    }
    return true;
}

bool isTransposition(const QString& word, const QString& candidate)
{
    if (word.size() != candidate.size()) {
        return false;
    }
    qsizetype first = 0;
    while (first < word.size() && word.at(first) == candidate.at(first)) {
        ++first;
    }
    return first + 1 < word.size() && word.at(first) == candidate.at(first + 1) &&
           word.at(first + 1) == candidate.at(first) && word.mid(first + 2) == candidate.mid(first + 2);
}

} // namespace

SpellingCorrector::SpellingCorrector(std::shared_ptr<const SpellingDictionary> dictionary)
    : m_dictionary(std::move(dictionary))
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
    const QString lower = word.toLower();
    auto answer = m_answers.constFind(lower);
    if (answer == m_answers.constEnd() && (isShorthand(lower) || m_dictionary->isKnown(lower))) {
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

std::optional<QString> SpellingCorrector::lookUp(const QString& lower)
{
    const QString name = lower.left(1).toUpper() + lower.mid(1);
    if (m_dictionary->hasForm(name)) {
        return name;
    }
    const QStringList candidates = m_dictionary->candidates(lower);
    const QString* best = nullptr;
    int bestRank = -1;
    for (const QString& candidate : candidates) {
        const int rank = frequencyRank(candidate);
        if (rank >= 0 && (best == nullptr || rank < bestRank)) {
            best = &candidate;
            bestRank = rank;
        }
    }
    if (best != nullptr) {
        return *best;
    }
    // Three letters have too many neighbours; only an everyday word is trusted there.
    if (lower.size() < 4 || candidates.isEmpty()) {
        return std::nullopt;
    }
    // Swapped neighbours ("recieve") are the most common slip, and the candidates list them first.
    const QString& first = candidates.first();
    if (isTransposition(lower, first)) {
        return first;
    }
    if (candidates.size() == 1) {
        return first;
    }
    return std::nullopt;
}

} // namespace quillora
