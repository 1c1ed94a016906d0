#include "rules/StylePhrases.h"

#include "rules/Lexicon.h"

namespace quillora {

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

QList<PhraseRule> StylePhrases::rules(RewriteStyle style, const Lexicon& lexicon)
{
    switch (style) {
    case RewriteStyle::FixGrammar:
        return {};
    case RewriteStyle::Professional:
        return lexicon.phrases(QStringLiteral("professional"));
    case RewriteStyle::Casual:
        return lexicon.phrases(QStringLiteral("casual"));
    case RewriteStyle::Concise:
        return lexicon.phrases(QStringLiteral("concise"));
    }
    return {};
}

} // namespace quillora
