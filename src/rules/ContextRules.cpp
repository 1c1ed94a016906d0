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
    QString lower(size_t at) const { return at == kNone ? QString() : m_tokens[at].text.toLower(); }

    /** The next word when only a space lies between, else kNone. */
    size_t next(size_t at) const
    {
        return at != kNone && at + 2 < m_tokens.size() && m_tokens[at + 1].is(Kind::Space) &&
                       m_tokens[at + 2].is(Kind::Word)
                   ? at + 2
                   : kNone;
    }

    size_t previous(size_t at) const
    {
        return at != kNone && at >= 2 && m_tokens[at - 1].is(Kind::Space) && m_tokens[at - 2].is(Kind::Word) ? at - 2
                                                                                                             : kNone;
    }

    /** True when the clause ends after word `i`: punctuation, a line break or the end follow. */
    bool endsClause(size_t at) const
    {
        return at + 1 >= m_tokens.size() || m_tokens[at + 1].is(Kind::Punct) || m_tokens[at + 1].is(Kind::Newline);
    }

    /** True when word `i` opens a clause: a sentence start, a comma before it, or a conjunction. */
    bool startsClause(size_t at) const
    {
        if (SentenceFormatter::startsSentence(m_tokens, at)) {
            return true;
        }
        const size_t before = previous(at);
        if (before == kNone) {
            return at >= 2 && m_tokens[at - 1].is(Kind::Space) && m_tokens[at - 2].isPunct(QLatin1Char(','));
        }
        // "all but the right type are": "but" after "all" or "none" means "except" and opens no clause.
        return in("conjunctions", lower(before)) &&
               !(lower(before) == QLatin1String("but") && in("before-but-except", lower(previous(before))));
    }

    /** Replaces word `i`, keeping a capital first letter (but never lowering "I"). */
    void set(size_t at, QString word)
    {
        const QString& old = m_tokens[at].text;
        // A word in capitals is a label or a value ("ENABLED"), or shouted: left as written.
        if (old.size() > 1 && old == old.toUpper()) {
            return;
        }
        if (old.at(0).isUpper() && !word.isEmpty() &&
            (old != QLatin1String("I") || word.startsWith(QLatin1Char('I')))) {
            word[0] = word.at(0).toUpper();
        }
        m_tokens[at].text = word;
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
    size_t verbAfter(size_t at) const
    {
        const size_t following = next(at);
        return following != kNone && in("between-auxiliary-and-verb", lower(following)) ? next(following) : following;
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
    bool endsNounPhrase(size_t noun) const
    {
        if (endsClause(noun)) {
            return true;
        }
        const QString after = lower(next(noun));
        return after == QLatin1String("than") || in("prepositions", after) || in("conjunctions", after) ||
               in("modals", after) || in("after-there", after) ||
               (!m_lex.baseOfPast(after).isEmpty() && m_lex.baseOfPast(after) != after);
    }

    /** True when WordNet or the word lists know what `word` is; an unknown word may be a noun ("runtimes"). */
    bool hasPartOfSpeech(const QString& word) const
    {
        return m_lex.isNoun(word) || m_lex.isVerb(word) || m_lex.isAdjective(word) || m_lex.isAdverb(word) ||
               m_lex.isPluralNoun(word) || !m_lex.baseOfThirdPerson(word).isEmpty() ||
               !m_lex.baseOfPast(word).isEmpty() || in("function-words", word) || in("prepositions", word) ||
               in("conjunctions", word);
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
        const QString word = lower(index);
        if (name == QLatin1String("@modal")) {
            return in("modals", word);
        }
        if (name == QLatin1String("@subject")) {
            return in("subject-pronouns", word);
        }
        if (name == QLatin1String("@object")) {
            return in("object-pronouns", word) || word == QLatin1String("it") || word == QLatin1String("you");
        }
        if (name == QLatin1String("@possessive")) {
            return in("possessives", word);
        }
        if (name == QLatin1String("@determiner")) {
            return in("determiners", word);
        }
        if (name == QLatin1String("@noun")) {
            return (m_lex.isNoun(word) || m_lex.isPluralNoun(word)) && !m_lex.isVerb(word) &&
                   !m_lex.isAdjective(word) && !m_lex.isAdverb(word) && !in("function-words", word) &&
                   !word.endsWith(QLatin1String("ing"));
        }
        if (name == QLatin1String("@nounlike")) {
            return (m_lex.isNoun(word) || m_lex.isPluralNoun(word)) && !in("function-words", word);
        }
        if (name == QLatin1String("@adjective")) {
            return m_lex.isAdjective(word) && !m_lex.isNoun(word) && !m_lex.isAdverb(word) && !m_lex.isVerb(word) &&
                   !in("function-words", word);
        }
        if (name == QLatin1String("@verb")) {
            return m_lex.isVerb(word) && m_lex.baseOfThirdPerson(word).isEmpty() && !in("function-words", word) &&
                   (m_lex.baseOfPast(word).isEmpty() || m_lex.pastEqualsBase(word));
        }
        if (name == QLatin1String("@past")) {
            return !m_lex.baseOfPast(word).isEmpty() && m_lex.baseOfPast(word) != word;
        }
        if (name == QLatin1String("@ing")) {
            const QString stem = word.left(word.size() - 3);
            return word.endsWith(QLatin1String("ing")) && (m_lex.isVerb(stem) || m_lex.isVerb(stem + QLatin1Char('e')));
        }
        if (name == QLatin1String("@name")) {
            return m_tokens[index].text.at(0).isUpper() && !SentenceFormatter::startsSentence(m_tokens, index);
        }
        return false;
    }

    /** Replaces a word mistaken for another when a rule of "confusables.txt" finds its neighbours. */
    bool fixConfusable(size_t at, QString word)
    {
        word.replace(QChar(0x2019), QLatin1Char('\''));
        for (const ConfusableRule& rule : m_lex.confusables(word)) {
            bool holds = true;
            for (const ConfusableRule::Condition& condition : rule.conditions) {
                const size_t other = condition.after ? next(at) : previous(at);
                holds = holds && allows(condition.allowed, other, at, condition.after);
            }
            if (holds) {
                set(at, rule.replacement);
                return true;
            }
        }
        return false;
    }

    void fixAt(size_t at)
    {
        if (fixConfusable(at, lower(at))) {
            return;
        }
        const QString word = lower(at);
        const size_t following = next(at);
        const QString followingWord = lower(following);
        fixVerbForms(at, word);
        fixAgreement(at, word, following, followingWord);
        fixHomophones(at, word, following, followingWord);
        if (following == kNone) {
            return;
        }
        // "three book", "more better", "less mistakes".
        if (in("numerals", word) && isCountNoun(followingWord) &&
            m_tokens[following].text != m_tokens[following].text.toUpper() && !in("determiners", lower(previous(at))) &&
            (endsClause(following) ||
             (!isNounAfterNumber(lower(next(following))) && hasPartOfSpeech(lower(next(following))))) &&
            !m_lex.isPluralNoun(lower(next(following)))) {
            set(following, m_lex.plural(followingWord));
        }
        if ((word == QLatin1String("more") && isComparative(followingWord)) ||
            (word == QLatin1String("most") && isSuperlative(followingWord))) {
            m_tokens.erase(m_tokens.begin() + static_cast<qsizetype>(at),
                           m_tokens.begin() + static_cast<qsizetype>(following));
            return;
        }
        if (word == QLatin1String("less") && m_lex.isPluralNoun(followingWord) &&
            (!startsClause(at) || endsNounPhrase(following))) {
            set(at, QStringLiteral("fewer"));
        }
        fixPronounPair(at, word, following, followingWord);
        fixObjectPair(at, word);
    }

    void fixVerbForms(size_t at, const QString& word)
    {
        size_t verb = verbAfter(at);
        // A question puts the subject between: "did you saw".
        if (verb != kNone && (in("do-forms", word) || in("modals", word) || in("perfect-auxiliaries", word)) &&
            in("subject-pronouns", lower(verb))) {
            verb = next(verb);
        }
        if (verb == kNone) {
            return;
        }
        const QString verbWord = lower(verb);
        if (in("perfect-auxiliaries", word)) {
            const QString participle = m_lex.participleOfPast(verbWord);
            if (!participle.isEmpty()) {
                set(verb, participle);
            }
            return;
        }
        // "to returned": an infinitive takes the base form.
        if (word == QLatin1String("to") && verb == next(at)) {
            const QString base = m_lex.baseOfPast(verbWord);
            if (!base.isEmpty() && base != verbWord && verbWord.endsWith(QLatin1String("ed")) &&
                !m_lex.isNoun(verbWord) && !m_lex.isAdjective(verbWord)) {
                set(verb, base);
            }
            return;
        }
        // "capabilities will advertised" lacks a "be" more likely than it has the wrong tense: a
        // participle right after a modal is corrected only after a pronoun ("we must finished").
        const bool passive =
            verb == next(at) && m_lex.isParticiple(verbWord) && !in("subject-pronouns", lower(previous(at)));
        const bool modal = in("modals", word) && !(m_tokens[at].text.at(0).isUpper() && !startsClause(at)) &&
                           !in("determiners", lower(previous(at))) && !passive;
        if (modal || in("do-forms", word)) {
            QString base = m_lex.baseOfThirdPerson(verbWord);
            if (base.isEmpty() && verbWord != QLatin1String("been")) {
                const QString past = m_lex.baseOfPast(verbWord);
                base = past == verbWord ? QString() : past;
            }
            // "does assorted tests": a past participle used as an adjective before its noun stays.
            const QString following = lower(next(verb));
            const bool adjectiveBeforeNoun =
                m_lex.isAdjective(verbWord) && m_lex.isNoun(following) && !in("function-words", following);
            if (!base.isEmpty() && m_lex.isVerb(base) && !in("function-words", verbWord) && !adjectiveBeforeNoun) {
                set(verb, base);
            }
        }
    }

    void fixAgreement(size_t at, const QString& word, size_t following, const QString& followingWord)
    {
        if (following == kNone) {
            return;
        }
        QString person;
        if (in("third-person-pronouns", word) && startsClause(at)) {
            person = QStringLiteral("third");
        } else if (word == QLatin1String("i") && !in("coordinators", lower(previous(at)))) {
            person = QStringLiteral("first");
        } else if (in("plural-pronouns", word) && (word != QLatin1String("you") || startsClause(at))) {
            person = QStringLiteral("plural");
        } else if (startsClause(at) || in("before-clause", lower(previous(at)))) {
            // "I think Tom and Jerry are late": a verb of saying or thinking may open a clause without "that".
            fixSubjectVerb(at);
            return;
        }
        if (!person.isEmpty()) {
            fixVerbFor(person, following, followingWord, true);
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
    bool isName(size_t at) const
    {
        const QString word = lower(at);
        const QString& text = m_tokens[at].text;
        // Capitals throughout make an acronym, often part of a product's name ("Backup and DR is").
        if (!text.at(0).isUpper() || text.size() < 2 || text == text.toUpper() || in("function-words", word) ||
            in("determiners", word) || in("personal-pronouns", word) || in("conjunctions", word)) {
            return false;
        }
        // At a sentence's start the capital says nothing: "John" is a name, "Please" and "Everyone" are not.
        return !SentenceFormatter::startsSentence(m_tokens, at) ||
               (m_lex.isNoun(word) && !m_lex.isVerb(word) && !m_lex.isAdjective(word) && !m_lex.isAdverb(word));
    }

    /**
     * True when the word at `at` opens a sentence with a capital, WordNet does not know it and a
     * name follows after "and": "Alice and Bob", where the capital of "Alice" says nothing alone.
     */
    bool isNameBeforeName(size_t at) const
    {
        const QString word = lower(at);
        const size_t joiner = next(at);
        const size_t second = next(joiner);
        return lower(joiner) == QLatin1String("and") && second != kNone && isName(second) &&
               m_tokens[at].text.at(0).isUpper() && m_tokens[at].text != m_tokens[at].text.toUpper() &&
               !hasPartOfSpeech(word) && !in("determiners", word) && !in("personal-pronouns", word) &&
               !in("plural-quantifiers", word);
    }

    /**
     * The noun phrase that starts at word `i` ("the big blue car", "my sister", "John"), read with
     * WordNet's parts of speech; `last` is kNone when none starts there. A run of two nouns is a
     * compound ("the project manager") when a verb follows it.
     */
    NounPhrase nounPhrase(size_t at) const
    {
        NounPhrase phrase;
        if (at == kNone) {
            return phrase;
        }
        // "is" reads as the plural of the letter "i"; a verb after the name ends the phrase.
        const QString afterName = lower(next(at));
        const bool singularName = !m_lex.isPluralNoun(lower(at)) && !lower(at).endsWith(QLatin1Char('s'));
        if (isName(at) && ((!m_lex.isNoun(afterName) && !m_lex.isPluralNoun(afterName)) ||
                           (singularName && in("agreeing-auxiliaries", afterName)))) {
            phrase.last = at;
            phrase.head = lower(at);
            phrase.determined = true;
            return phrase;
        }
        size_t position = at;
        if ((in("determiners", lower(position)) && !in("third-person-pronouns", lower(position))) ||
            (in("plural-quantifiers", lower(position)) && m_lex.isPluralNoun(lower(next(position))))) {
            phrase.determined = true;
            position = next(position);
        }
        // Adjectives before the noun; a word that is a noun too ("blue") is an adjective only before another word.
        while (position != kNone && m_lex.isAdjective(lower(position)) && !in("function-words", lower(position)) &&
               !in("agreeing-auxiliaries", lower(next(position))) &&
               (!m_lex.isNoun(lower(position)) || m_lex.isNoun(lower(next(position))) ||
                m_lex.isPluralNoun(lower(next(position))) || m_lex.isAdjective(lower(next(position))))) {
            position = next(position);
        }
        if (position == kNone || in("function-words", lower(position))) {
            return phrase;
        }
        QString head = lower(position);
        if (!(m_lex.isNoun(head) || m_lex.isPluralNoun(head))) {
            return phrase;
        }
        const size_t after = next(position);
        const QString verbAfter = lower(next(after));
        if (after != kNone && m_lex.isNoun(lower(after)) && !in("modals", lower(after)) &&
            !in("function-words", lower(after)) &&
            (isAgreeingVerb(verbAfter) || in("verbs-after-singular-subject", verbAfter) ||
             (m_lex.isVerb(verbAfter) && !m_lex.isNoun(verbAfter)))) {
            position = after;
            head = lower(position);
        }
        phrase.last = position;
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
    void fixSubjectVerb(size_t at)
    {
        // The second part of a compound subject was read with the first.
        if (in("coordinators", lower(previous(at)))) {
            return;
        }
        NounPhrase first = nounPhrase(at);
        if (first.last == kNone && isNameBeforeName(at)) {
            first.last = at;
            first.head = lower(at);
            first.determined = true;
        }
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
        const QString verbWord = lower(verb);
        // A capital inside a sentence starts a name ("Google Compute Engine"), not a verb.
        if (m_tokens[verb].text.at(0).isUpper()) {
            return;
        }
        if (plural) {
            const QString fixed = m_lex.phraseAgreement(QStringLiteral("plural"), verbWord);
            if (!fixed.isEmpty()) {
                set(verb, fixed);
                return;
            }
            // "lives", "tastes": a noun's plural too, so it is read as a verb only before what follows verbs.
            const QString base = m_lex.baseOfThirdPerson(verbWord);
            const QString following = lower(next(verb));
            const bool verbContext = endsClause(verb) || in("prepositions", following) || m_lex.isAdverb(following) ||
                                     (m_lex.isAdjective(following) && !m_lex.isNoun(following));
            if (!base.isEmpty() && ((isPlainVerb(base) && !m_lex.isPluralNoun(verbWord) && !m_lex.isNoun(verbWord)) ||
                                    (verbContext && m_lex.isVerb(base) && base != QLatin1String("be")))) {
                set(verb, base);
            }
            return;
        }
        const QString fixed = m_lex.phraseAgreement(QStringLiteral("third"), verbWord);
        // A group noun may take a plural verb ("the team have"), so only "don't" is changed after one.
        if (!fixed.isEmpty() && (!group || verbWord.startsWith(QLatin1String("don")))) {
            set(verb, fixed);
            return;
        }
        const bool baseVerb =
            in("verbs-after-singular-subject", verbWord) ||
            (m_lex.isVerb(verbWord) && !m_lex.isNoun(verbWord) && !m_lex.isAdjective(verbWord) &&
             !m_lex.isAdverb(verbWord) && !in("function-words", verbWord) && !in("not-third-person", verbWord));
        // A noun right after it makes the word a modifier ("the key edit interface"), not a verb.
        const QString following = lower(next(verb));
        const bool objectFollows = endsClause(verb) || in("determiners", following) || in("possessives", following) ||
                                   in("object-pronouns", following) || in("prepositions", following) ||
                                   following == QLatin1String("more") ||
                                   (m_lex.isAdverb(following) && !m_lex.isNoun(following));
        if (!group && baseVerb && objectFollows && !m_lex.pastEqualsBase(verbWord) &&
            m_lex.baseOfPast(verbWord).isEmpty() && m_lex.baseOfThirdPerson(verbWord).isEmpty()) {
            set(verb, m_lex.thirdPerson(verbWord));
        }
    }

    /** Makes the verb at `v` agree with a subject in `person`; a pronoun subject allows base-form changes. */
    void fixVerbFor(const QString& person, size_t verb, const QString& verbWord, bool pronoun)
    {
        const QString fixed = m_lex.phraseAgreement(person, verbWord);
        // A group noun may take a plural verb ("the team have"), so only "don't" is changed after one.
        const bool groupSafe = pronoun || person != QLatin1String("third") || verbWord.startsWith(QLatin1String("don"));
        if (!fixed.isEmpty() && groupSafe) {
            set(verb, fixed);
            return;
        }
        if (person == QLatin1String("third")) {
            const bool isVerb = pronoun ? m_lex.isVerb(verbWord) && !m_lex.isAdverb(verbWord) &&
                                              !in("function-words", verbWord) && !in("not-third-person", verbWord)
                                        : in("verbs-after-singular-subject", verbWord);
            const bool baseVerb = isVerb && !m_lex.pastEqualsBase(verbWord) && m_lex.baseOfPast(verbWord).isEmpty();
            if (baseVerb && (!m_lex.isNoun(verbWord) || pronoun || in("verbs-after-singular-subject", verbWord))) {
                set(verb, m_lex.thirdPerson(verbWord));
            }
            return;
        }
        const QString base = m_lex.baseOfThirdPerson(verbWord);
        if (!base.isEmpty() && isPlainVerb(base) && !m_lex.isPluralNoun(verbWord) && base != QLatin1String("be")) {
            set(verb, base);
        }
    }

    void fixHomophones(size_t at, const QString& word, size_t following, const QString& followingWord)
    {
        const QString before = lower(previous(at));
        if (word == QLatin1String("their") || word == QLatin1String("thier")) {
            if (following != kNone && in("after-they-are", followingWord)) {
                set(at, QStringLiteral("they're"));
            } else if ((following != kNone && in("after-there", followingWord)) ||
                       (endsClause(at) && !before.isEmpty())) {
                set(at, QStringLiteral("there"));
            }
        } else if (word == QLatin1String("there") && following != kNone) {
            const bool afterPastVerb = !before.isEmpty() && m_lex.baseOfPast(before) != before &&
                                       !m_lex.baseOfPast(before).isEmpty() && !in("after-there", before);
            // "I like there new house", "they love there quiet street": a verb, then an adjective
            // and its noun, wants an owner; "we stay there next week" says when.
            const QString afterFollowing = lower(next(following));
            const bool afterVerb = !before.isEmpty() && m_lex.isVerb(before) && !in("function-words", before) &&
                                   !in("after-there", before) && !in("modals", before) &&
                                   m_lex.isAdjective(followingWord) && !in("function-words", followingWord) &&
                                   m_lex.isNoun(afterFollowing) && !in("function-words", afterFollowing) &&
                                   !in("time-nouns", afterFollowing) && endsClause(next(following));
            // "There dog barks": a sentence opening with a singular noun and its verb.
            const bool ownerOfSubject =
                SentenceFormatter::startsSentence(m_tokens, at) && m_lex.isNoun(followingWord) &&
                !m_lex.isAdjective(followingWord) && !m_lex.isPluralNoun(followingWord) &&
                !in("function-words", followingWord) && !in("after-there", followingWord) && next(following) != kNone &&
                !m_lex.baseOfThirdPerson(afterFollowing).isEmpty() && !in("function-words", afterFollowing);
            if (followingWord == QLatin1String("own") || afterVerb || ownerOfSubject ||
                ((in("prepositions", before) || afterPastVerb) && isPossessedNoun(followingWord) &&
                 !in("after-there", followingWord))) {
                set(at, QStringLiteral("their"));
            } else if (in("after-they-are", followingWord) && followingWord.endsWith(QLatin1String("ing"))) {
                set(at, QStringLiteral("they're"));
            }
        } else if ((word == QLatin1String("they're") || word == QStringLiteral("they\u2019re")) && following != kNone &&
                   isPossessedNoun(followingWord)) {
            set(at, QStringLiteral("their"));
        } else if ((word == QLatin1String("you're") || word == QStringLiteral("you\u2019re")) && following != kNone &&
                   isPossessedNoun(followingWord)) {
            set(at, QStringLiteral("your"));
        } else if (word == QLatin1String("your") && following != kNone &&
                   (in("after-they-are", followingWord) ||
                    (in("after-your-at-end", followingWord) && endsClause(following)) ||
                    describesSubject(at, following))) {
            set(at, QStringLiteral("you're"));
        } else if (word == QLatin1String("its") && following != kNone &&
                   (in("after-its", followingWord) || describesSubject(at, following))) {
            set(at, QStringLiteral("it's"));
        } else if (word == QLatin1String("whose") && following != kNone &&
                   SentenceFormatter::startsSentence(m_tokens, at) && m_lex.isAdjective(followingWord) &&
                   !in("function-words", followingWord) &&
                   (endsClause(following) || lower(next(following)) == QLatin1String("to"))) {
            // "Whose ready to go?": a question about a person that owns nothing.
            set(at, QStringLiteral("who's"));
        } else if ((word == QLatin1String("it's") || word == QStringLiteral("it\u2019s")) && following != kNone &&
                   (followingWord == QLatin1String("own") ||
                    (in("prepositions", before) && isPossessedNoun(followingWord) && !in("after-its", followingWord)) ||
                    (before.endsWith(QLatin1String("ed")) && isPossessedNoun(followingWord) && endsClause(following)) ||
                    (!m_lex.baseOfPast(before).isEmpty() && !in("after-there", before) &&
                     isSuperlative(followingWord)))) {
            set(at, QStringLiteral("its"));
        } else if (word == QLatin1String("to") &&
                   ((following != kNone && in("after-too", followingWord) && beforeDegree(before) &&
                     (followingWord == QLatin1String("much") || endsClause(following) ||
                      !(m_lex.isNoun(lower(next(following))) || m_lex.isPluralNoun(lower(next(following)))) ||
                      m_lex.isAdverb(lower(next(following))))) ||
                    (at + 1 < m_tokens.size() && in("before-final-too", before) &&
                     (m_tokens[at + 1].isPunct(QLatin1Char('.')) || m_tokens[at + 1].isPunct(QLatin1Char('!')))))) {
            set(at, QStringLiteral("too"));
        } else if (word == QLatin1String("too") && following != kNone &&
                   (in("determiners", followingWord) || in("base-verbs-after-to", followingWord))) {
            set(at, QStringLiteral("to"));
        } else if (word == QLatin1String("then") && !before.isEmpty() &&
                   (isComparative(before) || lower(previous(previous(at))) == QLatin1String("rather"))) {
            set(at, QStringLiteral("than"));
        } else if (word == QLatin1String("than") && in("before-then", before)) {
            set(at, QStringLiteral("then"));
        }
    }

    /**
     * True when "its" or "your" at `at` opens a clause and the word at `following` describes the
     * subject rather than something owned: an adjective or an "-ing" form that no noun follows
     * ("Its cold outside", "Your late again"), not "Its new design" or "Your running shoes".
     */
    bool describesSubject(size_t at, size_t following) const
    {
        const QString word = lower(following);
        if (!startsClause(at) || in("function-words", word) || m_lex.isPluralNoun(word) ||
            !(m_lex.isAdjective(word) || inClass(QStringLiteral("@ing"), following))) {
            return false;
        }
        const size_t after = next(following);
        const QString afterWord = lower(after);
        if (after == kNone) {
            return endsClause(following);
        }
        if (in("adverbs-of-time-and-place", afterWord)) {
            return true;
        }
        // "its choice of", "its internal preprocessor": a word that is a noun too, or an unknown word
        // after it, may be what is owned.
        return !m_lex.isNoun(word) && hasPartOfSpeech(afterWord) && afterWord != QLatin1String("of") &&
               (!(m_lex.isNoun(afterWord) || m_lex.isPluralNoun(afterWord) || m_lex.isAdjective(afterWord)) ||
                in("prepositions", afterWord));
    }

    /** "asked my wife and I", "to my brother and I": a noun phrase and "I" as an object become "... and me". */
    void fixObjectPair(size_t at, const QString& word)
    {
        const size_t second = next(at);
        const size_t noun = previous(at);
        const size_t determiner = previous(noun);
        if (word != QLatin1String("and") || lower(second) != QLatin1String("i") || determiner == kNone ||
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

    void fixPronounPair(size_t at, const QString& word, size_t following, const QString& followingWord)
    {
        const size_t second = next(following);
        if (followingWord != QLatin1String("and") || second == kNone) {
            return;
        }
        const QString secondWord = lower(second);
        const bool firstIsName = m_tokens[at].text.at(0).isUpper() &&
                                 !SentenceFormatter::startsSentence(m_tokens, at) && word != QLatin1String("i");
        const bool firstPronoun = in("personal-pronouns", word);
        const bool secondIsName = m_tokens[second].text.at(0).isUpper() && secondWord != QLatin1String("i");
        if (!(in("personal-pronouns", secondWord) || secondIsName) ||
            !(firstPronoun || firstIsName || in("you-pronoun", word))) {
            return;
        }
        const QString before = lower(previous(at));
        const bool afterVerb = !before.isEmpty() && !m_lex.baseOfPast(before).isEmpty() && !in("after-there", before);
        if (in("prepositions", before) || afterVerb) {
            // "between you and I" becomes "between you and me"; so does "invited him and I".
            if (secondWord == QLatin1String("i")) {
                set(second, QStringLiteral("me"));
            }
            return;
        }
        const size_t verb = next(second);
        if (!startsClause(at) || verb == kNone ||
            !(m_lex.isVerb(lower(verb)) || in("do-forms", lower(verb)) || !m_lex.baseOfPast(lower(verb)).isEmpty())) {
            return;
        }
        if (!in("object-pronouns", word) && !in("object-pronouns", secondWord)) {
            return;
        }
        QString first = firstPronoun ? subjectForm(word) : m_tokens[at].text;
        QString last = secondIsName ? m_tokens[second].text : subjectForm(secondWord);
        // The writer names the other person first: "he and I".
        if (first == QLatin1String("I")) {
            std::swap(first, last);
        }
        const bool capital = m_tokens[at].text.at(0).isUpper();
        m_tokens[at].text = capital ? first.left(1).toUpper() + first.mid(1) : first;
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
