#include "rules/ContextRules.h"

#include "rules/Lexicon.h"
#include "rules/SentenceFormatter.h"

#include <QHash>

#include <unordered_map>

namespace quillora {

namespace {

using Kind = TextToken::Kind;
constexpr size_t kNone = static_cast<size_t>(-1);

QString subjectForm(const QString& pronoun)
{
    static const QHash<QString, QString> forms = {
        {QStringLiteral("me"), QStringLiteral("I")},      {QStringLiteral("him"), QStringLiteral("he")},
        {QStringLiteral("her"), QStringLiteral("she")},   {QStringLiteral("us"), QStringLiteral("we")},
        {QStringLiteral("them"), QStringLiteral("they")},
    };
    return forms.value(pronoun, pronoun == QLatin1String("i") ? QStringLiteral("I") : pronoun);
}

} // namespace

/** One run of the rules over a token list, with the helpers they share. */
class ContextRules::Pass
{
public:
    Pass(const Lexicon& lexicon, TokenList& tokens)
        : m_lex(lexicon)
        , m_tokens(tokens)
    {
    }

    void run()
    {
        for (size_t i = 0; i < m_tokens.size(); ++i) {
            if (m_tokens[i].is(Kind::Word) && m_tokens[i].text.size() < 40) {
                fixAt(i);
            }
        }
    }

private:
    QString lower(size_t i) const { return i == kNone ? QString() : m_tokens[i].text.toLower(); }

    /** The next word when only a space lies between, else kNone. */
    size_t next(size_t i) const
    {
        return i != kNone && i + 2 < m_tokens.size() && m_tokens[i + 1].is(Kind::Space) &&
                       m_tokens[i + 2].is(Kind::Word)
                   ? i + 2
                   : kNone;
    }

    size_t previous(size_t i) const
    {
        return i != kNone && i >= 2 && m_tokens[i - 1].is(Kind::Space) && m_tokens[i - 2].is(Kind::Word) ? i - 2
                                                                                                         : kNone;
    }

    /** True when the clause ends after word `i`: punctuation, a line break or the end follow. */
    bool endsClause(size_t i) const
    {
        return i + 1 >= m_tokens.size() || m_tokens[i + 1].is(Kind::Punct) || m_tokens[i + 1].is(Kind::Newline);
    }

    /** True when word `i` opens a clause: a sentence start, a comma before it, or a conjunction. */
    bool startsClause(size_t i) const
    {
        if (SentenceFormatter::startsSentence(m_tokens, i)) {
            return true;
        }
        const size_t before = previous(i);
        if (before == kNone) {
            return i >= 2 && m_tokens[i - 1].is(Kind::Space) && m_tokens[i - 2].isPunct(QLatin1Char(','));
        }
        return in("conjunctions", lower(before));
    }

    /** Replaces word `i`, keeping a capital first letter (but never lowering "I"). */
    void set(size_t i, QString word)
    {
        const QString& old = m_tokens[i].text;
        if (old.at(0).isUpper() && !word.isEmpty() &&
            (old != QLatin1String("I") || word.startsWith(QLatin1Char('I')))) {
            word[0] = word.at(0).toUpper();
        }
        m_tokens[i].text = word;
    }

    bool in(const char* list, const QString& word) const
    {
        // Each list is looked up by name once per pass, not once per word and rule.
        auto found = m_lists.find(list);
        if (found == m_lists.end()) {
            found = m_lists.emplace(list, m_lex.list(QString::fromLatin1(list))).first;
        }
        return found->second.contains(word);
    }

    /** Skips one negation or adverb that may stand between an auxiliary and its verb. */
    size_t verbAfter(size_t i) const
    {
        const size_t n = next(i);
        return n != kNone && in("between-auxiliary-and-verb", lower(n)) ? next(n) : n;
    }

    bool isPlainVerb(const QString& word) const
    {
        return m_lex.isVerb(word) && !m_lex.isAdverb(word) && !m_lex.isAdjective(word) && !in("function-words", word) &&
               !in("not-third-person", word);
    }

    /** A noun in the singular that is not also read as an adjective or adverb. */
    bool isCountNoun(const QString& word) const
    {
        const bool maybePlural = word.endsWith(QLatin1Char('s')) && m_lex.isNoun(word.left(word.size() - 1));
        return m_lex.isNoun(word) && !m_lex.isPluralNoun(word) && !maybePlural && !m_lex.isAdjective(word) &&
               !m_lex.isAdverb(word) && !in("function-words", word) && !in("uncountable", word);
    }

    /** A noun that cannot follow "they're" or "you're": not an adjective, adverb or "-ing" form. */
    bool isPossessedNoun(const QString& word) const
    {
        return (m_lex.isNoun(word) || m_lex.isPluralNoun(word)) && !m_lex.isAdjective(word) && !m_lex.isAdverb(word) &&
               !word.endsWith(QLatin1String("ing")) && !in("function-words", word) && !in("after-contraction", word);
    }

    /**
     * True when "too" may follow `before`: a form of "be" or a linking verb ("is to late", "it's to
     * big", "felt to tired"), or a quantity word; "reduce cases to small ones" keeps its "to".
     */
    bool beforeDegree(const QString& before) const
    {
        return in("before-degree", before) || before.endsWith(QLatin1String("'s")) ||
               before.endsWith(QStringLiteral("\u2019s")) || before.endsWith(QLatin1String("'re"));
    }

    bool isComparative(const QString& word) const
    {
        return in("comparatives", word) || (!m_lex.isNoun(word) && isGraded(word, QLatin1String("er")));
    }

    bool isSuperlative(const QString& word) const
    {
        return in("superlatives", word) || isGraded(word, QLatin1String("est"));
    }

    /**
     * True when `word` is an adjective with `suffix` added the regular ways: "taller", "nicer"
     * ("nice"), "happier" ("happy"), "bigger" ("big"). Needs at least three letters before the suffix.
     */
    bool isGraded(const QString& word, QLatin1String suffix) const
    {
        if (word.size() < suffix.size() + 3 || !word.endsWith(suffix)) {
            return false;
        }
        const QString stem = word.left(word.size() - suffix.size());
        for (const QString& base : {stem, stem + QLatin1Char('e'), stem.left(stem.size() - 1) + QLatin1Char('y'),
                                    stem.left(stem.size() - 1)}) {
            if (m_lex.isAdjective(base)) {
                return true;
            }
        }
        return false;
    }

    /**
     * True when nothing after the plural noun at `n` shows it was a verb: the clause ends, or
     * "than", a preposition, a conjunction, a modal or a past tense follows ("less mistakes were
     * made"), not an object ("less shows you", "less uses termcap").
     */
    bool endsNounPhrase(size_t n) const
    {
        if (endsClause(n)) {
            return true;
        }
        const QString after = lower(next(n));
        return after == QLatin1String("than") || in("prepositions", after) || in("conjunctions", after) ||
               in("modals", after) || in("after-there", after) ||
               (!m_lex.baseOfPast(after).isEmpty() && m_lex.baseOfPast(after) != after);
    }

    /** True when `word` after "two book" would make "book" part of a compound ("two dollar bill"). */
    bool isNounAfterNumber(const QString& word) const
    {
        return m_lex.isNoun(word) && !in("function-words", word) && !m_lex.isAdjective(word) && !m_lex.isAdverb(word);
    }

    /** True when the word at `index` (kNone when there is none) belongs to `allowed`, seen from word `self`. */
    bool allows(const QStringList& allowed, size_t index, size_t self, bool after) const
    {
        const QString word = lower(index);
        for (const QString& entry : allowed) {
            if (!entry.startsWith(QLatin1Char('@'))) {
                if (index != kNone && word == entry) {
                    return true;
                }
                continue;
            }
            if (entry == QLatin1String("@start") ? !after && startsClause(self)
                : entry == QLatin1String("@end") ? after && endsClause(self)
                                                 : index != kNone && inClass(entry, index)) {
                return true;
            }
        }
        return false;
    }

    /** True when the word at `index` is of the class `name` of "confusables.txt". */
    bool inClass(const QString& name, size_t index) const
    {
        const QString w = lower(index);
        if (name == QLatin1String("@modal")) {
            return in("modals", w);
        }
        if (name == QLatin1String("@subject")) {
            return in("subject-pronouns", w);
        }
        if (name == QLatin1String("@object")) {
            return in("object-pronouns", w) || w == QLatin1String("it") || w == QLatin1String("you");
        }
        if (name == QLatin1String("@possessive")) {
            return in("possessives", w);
        }
        if (name == QLatin1String("@determiner")) {
            return in("determiners", w);
        }
        if (name == QLatin1String("@noun")) {
            return (m_lex.isNoun(w) || m_lex.isPluralNoun(w)) && !m_lex.isVerb(w) && !m_lex.isAdjective(w) &&
                   !m_lex.isAdverb(w) && !in("function-words", w) && !w.endsWith(QLatin1String("ing"));
        }
        if (name == QLatin1String("@nounlike")) {
            return (m_lex.isNoun(w) || m_lex.isPluralNoun(w)) && !in("function-words", w);
        }
        if (name == QLatin1String("@adjective")) {
            return m_lex.isAdjective(w) && !m_lex.isNoun(w) && !m_lex.isAdverb(w) && !m_lex.isVerb(w) &&
                   !in("function-words", w);
        }
        if (name == QLatin1String("@verb")) {
            return m_lex.isVerb(w) && m_lex.baseOfThirdPerson(w).isEmpty() && !in("function-words", w) &&
                   (m_lex.baseOfPast(w).isEmpty() || m_lex.pastEqualsBase(w));
        }
        if (name == QLatin1String("@past")) {
            return !m_lex.baseOfPast(w).isEmpty() && m_lex.baseOfPast(w) != w;
        }
        if (name == QLatin1String("@ing")) {
            const QString stem = w.left(w.size() - 3);
            return w.endsWith(QLatin1String("ing")) && (m_lex.isVerb(stem) || m_lex.isVerb(stem + QLatin1Char('e')));
        }
        if (name == QLatin1String("@name")) {
            return m_tokens[index].text.at(0).isUpper() && !SentenceFormatter::startsSentence(m_tokens, index);
        }
        return false;
    }

    /** Replaces a word mistaken for another when a rule of "confusables.txt" finds its neighbours. */
    bool fixConfusable(size_t i, QString w)
    {
        w.replace(QChar(0x2019), QLatin1Char('\''));
        for (const ConfusableRule& rule : m_lex.confusables(w)) {
            bool holds = true;
            for (const ConfusableRule::Condition& condition : rule.conditions) {
                const size_t other = condition.after ? next(i) : previous(i);
                holds = holds && allows(condition.allowed, other, i, condition.after);
            }
            if (holds) {
                set(i, rule.replacement);
                return true;
            }
        }
        return false;
    }

    void fixAt(size_t i)
    {
        if (fixConfusable(i, lower(i))) {
            return;
        }
        const QString w = lower(i);
        const size_t n = next(i);
        const QString nw = lower(n);
        fixVerbForms(i, w);
        fixAgreement(i, w, n, nw);
        fixHomophones(i, w, n, nw);
        if (n == kNone) {
            return;
        }
        // "three book", "more better", "less mistakes".
        if (in("numerals", w) && isCountNoun(nw) && m_tokens[n].text != m_tokens[n].text.toUpper() &&
            !in("determiners", lower(previous(i))) && (endsClause(n) || !isNounAfterNumber(lower(next(n)))) &&
            !m_lex.isPluralNoun(lower(next(n)))) {
            set(n, m_lex.plural(nw));
        }
        if ((w == QLatin1String("more") && isComparative(nw)) || (w == QLatin1String("most") && isSuperlative(nw))) {
            m_tokens.erase(m_tokens.begin() + static_cast<qsizetype>(i), m_tokens.begin() + static_cast<qsizetype>(n));
            return;
        }
        if (w == QLatin1String("less") && m_lex.isPluralNoun(nw) && (!startsClause(i) || endsNounPhrase(n))) {
            set(i, QStringLiteral("fewer"));
        }
        fixPronounPair(i, w, n, nw);
        fixObjectPair(i, w);
    }

    void fixVerbForms(size_t i, const QString& w)
    {
        size_t v = verbAfter(i);
        // A question puts the subject between: "did you saw".
        if (v != kNone && (in("do-forms", w) || in("modals", w) || in("perfect-auxiliaries", w)) &&
            in("subject-pronouns", lower(v))) {
            v = next(v);
        }
        if (v == kNone) {
            return;
        }
        const QString vw = lower(v);
        if (in("perfect-auxiliaries", w)) {
            const QString participle = m_lex.participleOfPast(vw);
            if (!participle.isEmpty()) {
                set(v, participle);
            }
            return;
        }
        // "to returned": an infinitive takes the base form.
        if (w == QLatin1String("to") && v == next(i)) {
            const QString base = m_lex.baseOfPast(vw);
            if (!base.isEmpty() && base != vw && vw.endsWith(QLatin1String("ed")) && !m_lex.isNoun(vw) &&
                !m_lex.isAdjective(vw)) {
                set(v, base);
            }
            return;
        }
        const bool modal = in("modals", w) && !(m_tokens[i].text.at(0).isUpper() && !startsClause(i)) &&
                           !in("determiners", lower(previous(i)));
        if (modal || in("do-forms", w)) {
            QString base = m_lex.baseOfThirdPerson(vw);
            if (base.isEmpty() && vw != QLatin1String("been")) {
                const QString past = m_lex.baseOfPast(vw);
                base = past == vw ? QString() : past;
            }
            // "does assorted tests": a past participle used as an adjective before its noun stays.
            const QString following = lower(next(v));
            const bool adjectiveBeforeNoun =
                m_lex.isAdjective(vw) && m_lex.isNoun(following) && !in("function-words", following);
            if (!base.isEmpty() && m_lex.isVerb(base) && !in("function-words", vw) && !adjectiveBeforeNoun) {
                set(v, base);
            }
        }
    }

    void fixAgreement(size_t i, const QString& w, size_t n, const QString& nw)
    {
        if (n == kNone) {
            return;
        }
        QString person;
        if (in("third-person-pronouns", w) && startsClause(i)) {
            person = QStringLiteral("third");
        } else if (w == QLatin1String("i") && !in("coordinators", lower(previous(i)))) {
            person = QStringLiteral("first");
        } else if (in("plural-pronouns", w) && (w != QLatin1String("you") || startsClause(i))) {
            person = QStringLiteral("plural");
        } else if (startsClause(i)) {
            fixSubjectVerb(i);
            return;
        }
        if (!person.isEmpty()) {
            fixVerbFor(person, n, nw, true);
        }
    }

    /** A noun phrase: determiner, adjectives and a noun, or a name. */
    struct NounPhrase
    {
        size_t last = kNone;
        bool plural = false;
        bool determined = false;
        /** The head's number cannot be told from its spelling. */
        bool open = false;
        QString head;
    };

    /** True when the word at `i` is a name: a capital that is not a function word or a pronoun. */
    bool isName(size_t i) const
    {
        const QString w = lower(i);
        if (!m_tokens[i].text.at(0).isUpper() || m_tokens[i].text.size() < 2 || in("function-words", w) ||
            in("determiners", w) || in("personal-pronouns", w) || in("conjunctions", w)) {
            return false;
        }
        // At a sentence's start the capital says nothing: "John" is a name, "Please" and "Everyone" are not.
        return !SentenceFormatter::startsSentence(m_tokens, i) ||
               (m_lex.isNoun(w) && !m_lex.isVerb(w) && !m_lex.isAdjective(w) && !m_lex.isAdverb(w));
    }

    /**
     * The noun phrase that starts at word `i` ("the big blue car", "my sister", "John"), read with
     * WordNet's parts of speech; `last` is kNone when none starts there. A run of two nouns is a
     * compound ("the project manager") when a verb follows it.
     */
    NounPhrase nounPhrase(size_t i) const
    {
        NounPhrase phrase;
        if (i == kNone) {
            return phrase;
        }
        if (isName(i) && !m_lex.isNoun(lower(next(i)))) {
            phrase.last = i;
            phrase.head = lower(i);
            phrase.determined = true;
            return phrase;
        }
        size_t p = i;
        if (in("determiners", lower(p)) && !in("third-person-pronouns", lower(p))) {
            phrase.determined = true;
            p = next(p);
        }
        // Adjectives before the noun; a word that is a noun too ("blue") is an adjective only before another word.
        while (p != kNone && m_lex.isAdjective(lower(p)) && !in("function-words", lower(p)) &&
               !in("agreeing-auxiliaries", lower(next(p))) &&
               (!m_lex.isNoun(lower(p)) || m_lex.isNoun(lower(next(p))) || m_lex.isAdjective(lower(next(p))))) {
            p = next(p);
        }
        if (p == kNone || in("function-words", lower(p))) {
            return phrase;
        }
        QString head = lower(p);
        if (!(m_lex.isNoun(head) || m_lex.isPluralNoun(head))) {
            return phrase;
        }
        const size_t after = next(p);
        const QString verbAfter = lower(next(after));
        if (after != kNone && m_lex.isNoun(lower(after)) && !in("modals", lower(after)) &&
            !in("function-words", lower(after)) &&
            (isAgreeingVerb(verbAfter) || in("verbs-after-singular-subject", verbAfter) ||
             (m_lex.isVerb(verbAfter) && !m_lex.isNoun(verbAfter)))) {
            p = after;
            head = lower(p);
        }
        phrase.last = p;
        phrase.head = head;
        phrase.plural = m_lex.isPluralNoun(head) && !in("mass-plurals", head);
        // "glasses", "physics", "news": an "s" that may or may not make a plural leaves the number open.
        phrase.open = !phrase.plural && head.endsWith(QLatin1Char('s')) && !head.endsWith(QLatin1String("ss"));
        return phrase;
    }

    /** Forms of "be", "have" and "do" and the agreeing form of a verb: what may follow a subject. */
    bool isAgreeingVerb(const QString& word) const
    {
        return in("agreeing-auxiliaries", word) ||
               (!m_lex.baseOfThirdPerson(word).isEmpty() && !m_lex.isNoun(word) && !m_lex.isPluralNoun(word));
    }

    /**
     * Makes the verb after the subject that starts at `i` agree with it: a noun phrase, or two
     * joined by "and" ("the manager and the designer have", "John and Mary are"). Both parts of a
     * compound need a determiner or must be names, so that "bread and butter is" stays.
     */
    void fixSubjectVerb(size_t i)
    {
        // The second part of a compound subject was read with the first.
        if (in("coordinators", lower(previous(i)))) {
            return;
        }
        const NounPhrase first = nounPhrase(i);
        if (first.last == kNone) {
            return;
        }
        size_t verb = next(first.last);
        bool plural = first.plural;
        QString head = first.head;
        bool group = in("group-nouns", head);
        if (verb != kNone && lower(verb) == QLatin1String("and")) {
            const NounPhrase second = nounPhrase(next(verb));
            if (second.last == kNone || !first.determined || !second.determined) {
                return;
            }
            plural = true;
            group = false;
            verb = next(second.last);
        } else if (!first.determined || first.open) {
            return;
        }
        if (verb == kNone || in("mass-plurals", head)) {
            return;
        }
        const QString vw = lower(verb);
        // A capital inside a sentence starts a name ("Google Compute Engine"), not a verb.
        if (m_tokens[verb].text.at(0).isUpper()) {
            return;
        }
        if (plural) {
            const QString fixed = m_lex.phraseAgreement(QStringLiteral("plural"), vw);
            if (!fixed.isEmpty()) {
                set(verb, fixed);
                return;
            }
            // "lives", "tastes": a noun's plural too, so it is read as a verb only before what follows verbs.
            const QString base = m_lex.baseOfThirdPerson(vw);
            const QString following = lower(next(verb));
            const bool verbContext = endsClause(verb) || in("prepositions", following) || m_lex.isAdverb(following) ||
                                     (m_lex.isAdjective(following) && !m_lex.isNoun(following));
            if (!base.isEmpty() && ((isPlainVerb(base) && !m_lex.isPluralNoun(vw) && !m_lex.isNoun(vw)) ||
                                    (verbContext && m_lex.isVerb(base) && base != QLatin1String("be")))) {
                set(verb, base);
            }
            return;
        }
        const QString fixed = m_lex.phraseAgreement(QStringLiteral("third"), vw);
        // A group noun may take a plural verb ("the team have"), so only "don't" is changed after one.
        if (!fixed.isEmpty() && (!group || vw.startsWith(QLatin1String("don")))) {
            set(verb, fixed);
            return;
        }
        const bool baseVerb = in("verbs-after-singular-subject", vw) ||
                              (m_lex.isVerb(vw) && !m_lex.isNoun(vw) && !m_lex.isAdjective(vw) && !m_lex.isAdverb(vw) &&
                               !in("function-words", vw) && !in("not-third-person", vw));
        // A noun right after it makes the word a modifier ("the key edit interface"), not a verb.
        const QString following = lower(next(verb));
        const bool objectFollows = endsClause(verb) || in("determiners", following) || in("possessives", following) ||
                                   in("object-pronouns", following) || in("prepositions", following) ||
                                   following == QLatin1String("more") ||
                                   (m_lex.isAdverb(following) && !m_lex.isNoun(following));
        if (!group && baseVerb && objectFollows && !m_lex.pastEqualsBase(vw) && m_lex.baseOfPast(vw).isEmpty() &&
            m_lex.baseOfThirdPerson(vw).isEmpty()) {
            set(verb, m_lex.thirdPerson(vw));
        }
    }

    /** Makes the verb at `v` agree with a subject in `person`; a pronoun subject allows base-form changes. */
    void fixVerbFor(const QString& person, size_t v, const QString& vw, bool pronoun)
    {
        const QString fixed = m_lex.phraseAgreement(person, vw);
        // A group noun may take a plural verb ("the team have"), so only "don't" is changed after one.
        const bool groupSafe = pronoun || person != QLatin1String("third") || vw.startsWith(QLatin1String("don"));
        if (!fixed.isEmpty() && groupSafe) {
            set(v, fixed);
            return;
        }
        if (person == QLatin1String("third")) {
            const bool verb = pronoun ? m_lex.isVerb(vw) && !m_lex.isAdverb(vw) && !in("function-words", vw) &&
                                            !in("not-third-person", vw)
                                      : in("verbs-after-singular-subject", vw);
            const bool baseVerb = verb && !m_lex.pastEqualsBase(vw) && m_lex.baseOfPast(vw).isEmpty();
            if (baseVerb && (!m_lex.isNoun(vw) || pronoun || in("verbs-after-singular-subject", vw))) {
                set(v, m_lex.thirdPerson(vw));
            }
            return;
        }
        const QString base = m_lex.baseOfThirdPerson(vw);
        if (!base.isEmpty() && isPlainVerb(base) && !m_lex.isPluralNoun(vw) && base != QLatin1String("be")) {
            set(v, base);
        }
    }

    void fixHomophones(size_t i, const QString& w, size_t n, const QString& nw)
    {
        const QString before = lower(previous(i));
        if (w == QLatin1String("their") || w == QLatin1String("thier")) {
            if (n != kNone && in("after-they-are", nw)) {
                set(i, QStringLiteral("they're"));
            } else if ((n != kNone && in("after-there", nw)) || (endsClause(i) && !before.isEmpty())) {
                set(i, QStringLiteral("there"));
            }
        } else if (w == QLatin1String("there") && n != kNone) {
            const bool afterPastVerb = !before.isEmpty() && m_lex.baseOfPast(before) != before &&
                                       !m_lex.baseOfPast(before).isEmpty() && !in("after-there", before);
            if (nw == QLatin1String("own") ||
                ((in("prepositions", before) || afterPastVerb) && isPossessedNoun(nw) && !in("after-there", nw))) {
                set(i, QStringLiteral("their"));
            } else if (in("after-they-are", nw) && nw.endsWith(QLatin1String("ing"))) {
                set(i, QStringLiteral("they're"));
            }
        } else if ((w == QLatin1String("they're") || w == QStringLiteral("they\u2019re")) && n != kNone &&
                   isPossessedNoun(nw)) {
            set(i, QStringLiteral("their"));
        } else if ((w == QLatin1String("you're") || w == QStringLiteral("you\u2019re")) && n != kNone &&
                   isPossessedNoun(nw)) {
            set(i, QStringLiteral("your"));
        } else if (w == QLatin1String("your") && n != kNone &&
                   (in("after-they-are", nw) || (in("after-your-at-end", nw) && endsClause(n)))) {
            set(i, QStringLiteral("you're"));
        } else if (w == QLatin1String("its") && n != kNone && in("after-its", nw)) {
            set(i, QStringLiteral("it's"));
        } else if ((w == QLatin1String("it's") || w == QStringLiteral("it\u2019s")) && n != kNone &&
                   (nw == QLatin1String("own") ||
                    (in("prepositions", before) && isPossessedNoun(nw) && !in("after-its", nw)) ||
                    (before.endsWith(QLatin1String("ed")) && isPossessedNoun(nw) && endsClause(n)) ||
                    (!m_lex.baseOfPast(before).isEmpty() && !in("after-there", before) && isSuperlative(nw)))) {
            set(i, QStringLiteral("its"));
        } else if (w == QLatin1String("to") &&
                   ((n != kNone && in("after-too", nw) && beforeDegree(before) &&
                     (nw == QLatin1String("much") || endsClause(n) ||
                      !(m_lex.isNoun(lower(next(n))) || m_lex.isPluralNoun(lower(next(n)))) ||
                      m_lex.isAdverb(lower(next(n))))) ||
                    (i + 1 < m_tokens.size() && in("before-final-too", before) &&
                     (m_tokens[i + 1].isPunct(QLatin1Char('.')) || m_tokens[i + 1].isPunct(QLatin1Char('!')))))) {
            set(i, QStringLiteral("too"));
        } else if (w == QLatin1String("too") && n != kNone &&
                   (in("determiners", nw) || in("base-verbs-after-to", nw))) {
            set(i, QStringLiteral("to"));
        } else if (w == QLatin1String("then") && !before.isEmpty() &&
                   (isComparative(before) || lower(previous(previous(i))) == QLatin1String("rather"))) {
            set(i, QStringLiteral("than"));
        } else if (w == QLatin1String("than") && in("before-then", before)) {
            set(i, QStringLiteral("then"));
        }
    }

    /** "asked my wife and I", "to my brother and I": a noun phrase and "I" as an object become "... and me". */
    void fixObjectPair(size_t i, const QString& w)
    {
        const size_t second = next(i);
        const size_t noun = previous(i);
        const size_t determiner = previous(noun);
        if (w != QLatin1String("and") || lower(second) != QLatin1String("i") || determiner == kNone ||
            !(in("possessives", lower(determiner)) || in("determiners", lower(determiner))) ||
            !(m_lex.isNoun(lower(noun)) || m_lex.isPluralNoun(lower(noun)))) {
            return;
        }
        const QString governor = lower(previous(determiner));
        const bool afterVerb = !governor.isEmpty() && !in("after-there", governor) && !in("function-words", governor) &&
                               (m_lex.isVerb(governor) || !m_lex.baseOfPast(governor).isEmpty());
        if (in("prepositions", governor) || afterVerb) {
            set(second, QStringLiteral("me"));
        }
    }

    void fixPronounPair(size_t i, const QString& w, size_t n, const QString& nw)
    {
        const size_t second = next(n);
        if (nw != QLatin1String("and") || second == kNone) {
            return;
        }
        const QString sw = lower(second);
        const bool firstIsName = m_tokens[i].text.at(0).isUpper() && !SentenceFormatter::startsSentence(m_tokens, i) &&
                                 w != QLatin1String("i");
        const bool firstPronoun = in("personal-pronouns", w);
        const bool secondIsName = m_tokens[second].text.at(0).isUpper() && sw != QLatin1String("i");
        if (!(in("personal-pronouns", sw) || secondIsName) || !(firstPronoun || firstIsName || in("you-pronoun", w))) {
            return;
        }
        const QString before = lower(previous(i));
        const bool afterVerb = !before.isEmpty() && !m_lex.baseOfPast(before).isEmpty() && !in("after-there", before);
        if (in("prepositions", before) || afterVerb) {
            // "between you and I" becomes "between you and me"; so does "invited him and I".
            if (sw == QLatin1String("i")) {
                set(second, QStringLiteral("me"));
            }
            return;
        }
        const size_t verb = next(second);
        if (!startsClause(i) || verb == kNone ||
            !(m_lex.isVerb(lower(verb)) || in("do-forms", lower(verb)) || !m_lex.baseOfPast(lower(verb)).isEmpty())) {
            return;
        }
        if (!in("object-pronouns", w) && !in("object-pronouns", sw)) {
            return;
        }
        QString first = firstPronoun ? subjectForm(w) : m_tokens[i].text;
        QString last = secondIsName ? m_tokens[second].text : subjectForm(sw);
        // The writer names the other person first: "he and I".
        if (first == QLatin1String("I")) {
            std::swap(first, last);
        }
        const bool capital = m_tokens[i].text.at(0).isUpper();
        m_tokens[i].text = capital ? first.left(1).toUpper() + first.mid(1) : first;
        m_tokens[second].text = last;
        fixVerbFor(QStringLiteral("plural"), verb, lower(verb), true);
    }

    const Lexicon& m_lex;
    TokenList& m_tokens;
    /** Word lists by the name literal the rules use. */
    mutable std::unordered_map<const char*, QSet<QString>> m_lists;
};

ContextRules::ContextRules(const Lexicon& lexicon)
    : m_lexicon(lexicon)
{
}

void ContextRules::apply(TokenList& tokens) const
{
    Pass(m_lexicon, tokens).run();
}

} // namespace quillora
