#include "server/rules/StylePhrases.h"

#include <QStringList>

namespace quillora {

namespace {

using Where = PhraseRule::Where;

QList<PhraseRule> rulesFrom(std::initializer_list<std::pair<const char*, const char*>> pairs,
                            Where where = Where::Anywhere)
{
    QList<PhraseRule> rules;
    for (const auto& [pattern, replacement] : pairs) {
        rules.append({QString::fromUtf8(pattern), QString::fromUtf8(replacement), where});
    }
    return rules;
}

// Negations read the same at the end of a clause ("I do not." / "I don't."), so they contract anywhere.
const std::initializer_list<std::pair<const char*, const char*>> kNegations = {
    {"do not", "don't"},         {"does not", "doesn't"},   {"did not", "didn't"},   {"is not", "isn't"},
    {"are not", "aren't"},       {"was not", "wasn't"},     {"were not", "weren't"}, {"have not", "haven't"},
    {"has not", "hasn't"},       {"had not", "hadn't"},     {"will not", "won't"},   {"would not", "wouldn't"},
    {"should not", "shouldn't"}, {"could not", "couldn't"}, {"cannot", "can't"},     {"can not", "can't"},
};

// Other contractions cannot end a clause ("Yes, I am." never becomes "Yes, I'm."), so they need a following word.
const std::initializer_list<std::pair<const char*, const char*>> kContractions = {
    {"i am", "I'm"},
    {"you are", "you're"},
    {"we are", "we're"},
    {"they are", "they're"},
    {"it is", "it's"},
    {"that is", "that's"},
    {"there is", "there's"},
    {"what is", "what's"},
    {"i will", "I'll"},
    {"you will", "you'll"},
    {"we will", "we'll"},
    {"they will", "they'll"},
    {"i would", "I'd"},
    {"i have been", "I've been"},
    {"we have been", "we've been"},
    {"let us", "let's"},
};

QList<PhraseRule> expansions()
{
    QList<PhraseRule> rules;
    for (const auto& [longForm, shortForm] : kNegations) {
        rules.append({QString::fromUtf8(shortForm), QString::fromUtf8(longForm), Where::Anywhere});
    }
    rules.append(rulesFrom({
        {"can't", "cannot"},          {"i'm", "I am"},
        {"i've", "I have"},           {"i'll", "I will"},
        {"i'd", "I would"},           {"i'd been", "I had been"},
        {"you're", "you are"},        {"you've", "you have"},
        {"you'll", "you will"},       {"we're", "we are"},
        {"we've", "we have"},         {"we'll", "we will"},
        {"they're", "they are"},      {"they've", "they have"},
        {"they'll", "they will"},     {"it'll", "it will"},
        {"would've", "would have"},   {"could've", "could have"},
        {"should've", "should have"},
    }));
    // "'s" is "is", except before "been", where it is "has".
    for (const char* subject : {"it", "that", "there", "what", "here", "he", "she", "who"}) {
        const QString word = QString::fromUtf8(subject);
        rules.append({word + QStringLiteral("'s"), word + QStringLiteral(" is"), Where::Anywhere});
        rules.append({word + QStringLiteral("'s been"), word + QStringLiteral(" has been"), Where::Anywhere});
    }
    return rules;
}

QList<PhraseRule> professionalRules()
{
    QList<PhraseRule> rules = expansions();
    rules.append(rulesFrom({
        {"gonna", "going to"},
        {"wanna", "want to"},
        {"gotta", "have to"},
        {"kinda", "somewhat"},
        {"sorta", "somewhat"},
        {"yeah", "yes"},
        {"yep", "yes"},
        {"nope", "no"},
        {"thanks", "thank you"},
        {"thx", "thank you"},
        {"asap", "as soon as possible"},
        {"fyi", "for your information"},
        {"btw", "by the way"},
        {"get back to you", "follow up with you"},
        {"figure out", "determine"},
        {"check out", "review"},
        {"help out", "assist"},
        {"awesome", "excellent"},
        {"i think", "I believe"},
        {"a bunch of", "several"},
        {"ok", "acceptable"},
        {"okay", "acceptable"},
        {"pretty good", "quite good"},
        {"kids", "children"},
        {"basically", ""},
        {"literally", ""},
        {"due to the fact that", "because"},
        {"in order to", "to"},
        {"at this point in time", "now"},
    }));
    rules.append(rulesFrom({{"hi", "hello"},
                            {"hey", "hello"},
                            {"hey there", "hello"},
                            {"hi there", "hello"},
                            {"hi guys", "hello everyone"},
                            {"hey guys", "hello everyone"},
                            {"sorry for", "I apologize for"},
                            {"cheers", "best regards"},
                            {"ok ,", "very well,"},
                            {"okay ,", "very well,"}},
                           Where::SentenceStart));
    return rules;
}

QList<PhraseRule> casualRules()
{
    QList<PhraseRule> rules = rulesFrom(kNegations);
    rules.append(rulesFrom(kContractions, Where::BeforeWord));
    rules.append(rulesFrom({
        {"thank you", "thanks"},
        {"assist", "help"},
        {"assistance", "help"},
        {"require", "need"},
        {"requires", "needs"},
        {"required", "needed"},
        {"purchase", "buy"},
        {"obtain", "get"},
        {"utilize", "use"},
        {"utilise", "use"},
        {"approximately", "about"},
        {"sufficient", "enough"},
        {"commence", "start"},
        {"regarding", "about"},
        {"inform you", "let you know"},
        {"please be advised that", ""},
        {"at your earliest convenience", "when you can"},
        {"i apologize for", "sorry for"},
        {"i apologise for", "sorry for"},
        {"do not hesitate to", "feel free to"},
        {"prior to", "before"},
        {"in addition", "also"},
        {"in order to", "to"},
        {"with regard to", "about"},
        {"numerous", "lots of"},
        {"due to the fact that", "because"},
        {"at this point in time", "now"},
    }));
    rules.append(rulesFrom({{"hello", "hey"},
                            {"greetings", "hey"},
                            {"dear", "hi"},
                            {"good morning", "morning"},
                            {"however ,", "but"},
                            {"therefore ,", "so"},
                            {"furthermore ,", "plus,"},
                            {"moreover ,", "plus,"},
                            {"additionally ,", "also,"},
                            {"nevertheless ,", "still,"},
                            {"best regards", "cheers"},
                            {"kind regards", "cheers"},
                            {"warm regards", "cheers"},
                            {"regards", "cheers"},
                            {"sincerely", "cheers"},
                            {"yours sincerely", "cheers"},
                            {"yours truly", "cheers"},
                            {"best wishes", "cheers"}},
                           Where::SentenceStart));
    return rules;
}

QList<PhraseRule> conciseRules()
{
    return rulesFrom({
        {"basically", ""},
        {"actually", ""},
        {"really", ""},
        {"very", ""},
        {"literally", ""},
        {"totally", ""},
        {"honestly", ""},
        {"simply", ""},
        {"quite", ""},
        {"somewhat", ""},
        {"just", ""},
        {"just as", "just as"},
        {"just in", "just in"},
        {"definitely", ""},
        {"certainly", ""},
        {"in order to", "to"},
        {"due to the fact that", "because"},
        {"owing to the fact that", "because"},
        {"in spite of the fact that", "although"},
        {"despite the fact that", "although"},
        {"at this point in time", "now"},
        {"at the present time", "now"},
        {"at this moment in time", "now"},
        {"in the event that", "if"},
        {"for the purpose of", "for"},
        {"in the near future", "soon"},
        {"a large number of", "many"},
        {"the majority of", "most"},
        {"is able to", "can"},
        {"are able to", "can"},
        {"has the ability to", "can"},
        {"have the ability to", "can"},
        {"it is important to note that", ""},
        {"it should be noted that", ""},
        {"needless to say", ""},
        {"as a matter of fact", ""},
        {"i just wanted to", "I want to"},
        {"i wanted to let you know that", ""},
        {"please note that", ""},
        {"in my opinion", ""},
        {"each and every", "every"},
        {"first and foremost", "first"},
        {"whether or not", "whether"},
        {"until such time as", "until"},
        {"with regard to", "about"},
        {"with regards to", "about"},
        {"in regard to", "about"},
        {"in regards to", "about"},
        {"make a decision", "decide"},
        {"come to a conclusion", "conclude"},
        {"take into consideration", "consider"},
        {"give consideration to", "consider"},
        {"a number of", "several"},
        {"in the process of", ""},
        {"on a daily basis", "daily"},
        {"on a regular basis", "regularly"},
        {"in close proximity to", "near"},
        {"prior to", "before"},
        {"subsequent to", "after"},
        {"in addition to", "besides"},
        {"at all times", "always"},
    });
}

} // namespace

RewriteStyle StylePhrases::styleForPreset(const QString& name)
{
    const QString key = name.trimmed().toLower();
    if (key == QLatin1String("professional")) {
        return RewriteStyle::Professional;
    }
    if (key == QLatin1String("casual")) {
        return RewriteStyle::Casual;
    }
    if (key == QLatin1String("concise")) {
        return RewriteStyle::Concise;
    }
    return RewriteStyle::FixGrammar;
}

QList<PhraseRule> StylePhrases::rules(RewriteStyle style)
{
    switch (style) {
    case RewriteStyle::FixGrammar:
        return {};
    case RewriteStyle::Professional:
        return professionalRules();
    case RewriteStyle::Casual:
        return casualRules();
    case RewriteStyle::Concise:
        return conciseRules();
    }
    return {};
}

} // namespace quillora
