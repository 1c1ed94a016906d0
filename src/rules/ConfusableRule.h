#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace quillora {

/**
 * One way a word is mistaken for another, read from "confusables.txt": the word that replaces it
 * and what its neighbours must be for the replacement to be sure. Every condition must hold.
 */
struct ConfusableRule
{
    struct Condition
    {
        /** True for the next word, false for the previous one. */
        bool after = false;
        /** Lower-case words, and classes that start with "@" ("@modal", "@noun", "@end"). */
        QStringList allowed;
    };

    QString replacement;
    QList<Condition> conditions;

    /**
     * Parses "wrong => right | before=a,b,@modal ; after=@noun". Returns the wrong word and fills
     * `rule`; an empty text when the line is malformed.
     */
    [[nodiscard]] static QString parse(const QString& line, ConfusableRule& rule);
};

} // namespace quillora
