#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace quillora::test {

/** The rules engine's evaluation sentences, read from the test data folder. */
struct EvaluationSet
{
    struct Error
    {
        QString category;
        QString input;
        QString expected;
    };

    /** Sentences with one error each and their corrections ("grammar-errors.tsv"). */
    QList<Error> errors;
    /** Correct sentences that "Fix Grammar" must not change ("controls.txt"). */
    QStringList controls;
    /** Chat-style sentences for "Professional" ("informal.txt"). */
    QStringList informal;
    /** Wordy sentences for "Concise" ("wordy.txt"). */
    QStringList wordy;
    /**
     * Sentences with one error each written apart from the engine's tables, by kind of error
     * ("unseen/errors.tsv"), and correct sentences by kind ("unseen/controls.tsv", the kind in
     * `category`, `expected` equal to `input`).
     */
    QList<Error> unseenErrors;
    QList<Error> unseenControls;

    /** Reads the files; a file that cannot be read leaves its list empty. */
    [[nodiscard]] static EvaluationSet load();

    /** The chat forms "Professional" must remove. */
    [[nodiscard]] static QStringList informalForms();
};

} // namespace quillora::test
