#include "EvaluationSet.h"

#include <QFile>

namespace quillora::test {

namespace {

QStringList lines(const QString& name)
{
    QFile file(QStringLiteral(QUILLORA_RULES_TEST_DATA "/") + name);
    QStringList result;
    if (!file.open(QIODevice::ReadOnly)) {
        return result;
    }
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        if (!line.trimmed().isEmpty() && !line.startsWith(QLatin1Char('#'))) {
            result.append(line);
        }
    }
    return result;
}

} // namespace

EvaluationSet EvaluationSet::load()
{
    EvaluationSet set;
    for (const QString& line : lines(QStringLiteral("grammar-errors.tsv"))) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() == 3) {
            set.errors.append({fields[0], fields[1], fields[2]});
        }
    }
    for (const QString& line : lines(QStringLiteral("unseen/errors.tsv"))) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() == 3) {
            set.unseenErrors.append({fields[0], fields[1], fields[2]});
        }
    }
    for (const QString& line : lines(QStringLiteral("unseen/controls.tsv"))) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() == 2) {
            set.unseenControls.append({fields[0], fields[1], fields[1]});
        }
    }
    set.controls = lines(QStringLiteral("controls.txt"));
    set.informal = lines(QStringLiteral("informal.txt"));
    set.wordy = lines(QStringLiteral("wordy.txt"));
    return set;
}

QStringList EvaluationSet::informalForms()
{
    return QStringLiteral(
               "u r pls thx lmk asap gonna wanna gotta kinda tho lol gimme lemme tmrw cya yo ain't dunno "
               "gotcha nah tbh omw brb ttyl congrats bday pics info msg shoulda thru y'all hafta rn sup tonite "
               "convo")
        .split(QLatin1Char(' '));
}

} // namespace quillora::test
