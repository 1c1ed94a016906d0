#include "SharedRules.h"

#include "rules/Lexicon.h"
#include "rules/SpellingDictionary.h"

#include <QFileInfo>
#include <QStringList>

namespace quillora::test {

namespace {

const QStringList kDictionaries = {QStringLiteral("/usr/share/hunspell/en_US.dic"),
                                   QStringLiteral("/usr/share/hunspell/en_GB.dic")};
const QString kWordNet = QStringLiteral("/usr/share/wordnet");

} // namespace

const SharedRules& SharedRules::get()
{
    static const SharedRules rules = [] {
        QStringList installed;
        for (const QString& path : kDictionaries) {
            if (QFileInfo::exists(path)) {
                installed.append(path);
            }
        }
        const auto lexicon = Lexicon::load(QStringLiteral(QUILLORA_RULES_DATA_DIR), kWordNet);
        if (!installed.isEmpty()) {
            const QStringList others = SpellingDictionary::otherLanguagesBeside(installed.first());
            return SharedRules{SpellingDictionary::load(installed), lexicon,
                               others.isEmpty() ? nullptr : SpellingDictionary::load(others)};
        }
        return SharedRules{
            SpellingDictionary::fromEntries({QStringLiteral("the"), QStringLiteral("meeting"), QStringLiteral("is"),
                                             QStringLiteral("on"), QStringLiteral("Monday")}),
            lexicon, nullptr};
    }();
    return rules;
}

bool SharedRules::complete()
{
    return QFileInfo::exists(kDictionaries.first()) && QFileInfo::exists(kWordNet + QStringLiteral("/index.verb"));
}

} // namespace quillora::test
