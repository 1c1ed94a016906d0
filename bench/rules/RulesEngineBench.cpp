// The rules engine: what loading and rewriting cost, and how it does on the evaluation sentences.
#include "EvaluationSet.h"
#include "ProseSample.h"
#include "SharedRules.h"

#include "rules/Lexicon.h"
#include "rules/SpellingDictionary.h"
#include "rules/TextRewriter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QRegularExpression>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>

namespace {

using namespace quillora;

const QString kText = QStringLiteral(
    "hey guys, basically i dont really know if we can finish teh report by friday , its gonna be very tight!! "
    "Due to the fact that the server was down we should of started earlier.");

const test::SharedRules& rules()
{
    return test::SharedRules::get();
}

void BM_LoadDictionary(benchmark::State& state)
{
    for (auto _ : state) {
        benchmark::DoNotOptimize(SpellingDictionary::load(
            {QStringLiteral("/usr/share/hunspell/en_US.dic"), QStringLiteral("/usr/share/hunspell/en_GB.dic")}));
    }
}
BENCHMARK(BM_LoadDictionary)->Unit(benchmark::kMillisecond);

// About 500 characters of everyday writing with the usual slips.
const QString kLongText = QStringLiteral(
    "hey team, i just wanted to reach out to let you know that the report is basically done. Their are still a "
    "few things to fix tho: the charts dont match the numbers, and me and him was planning to recieve the last "
    "data on friday. In order to finish on time we should of started earlier, but its been a crazy week. She "
    "don't have the new figures yet and the client has went quiet. Pls send me your notes asap, and lmk if u "
    "wanna meet tomorow at 10:30 in room B12. Thanks a lot, and sorry for the long message!");

/** Corrects `text` once per run and renders it in the four built-in styles. */
void rewriteFourStyles(benchmark::State& state, const QString& text)
{
    // One rewriter for all runs, as in the service, which remembers the corrections it found.
    TextRewriter rewriter(rules().dictionary, rules().lexicon, rules().otherLanguages);
    for (auto _ : state) {
        const TextRewriter::Prepared prepared = rewriter.prepare(text);
        for (const RewriteStyle style :
             {RewriteStyle::Professional, RewriteStyle::Casual, RewriteStyle::FixGrammar, RewriteStyle::Concise}) {
            benchmark::DoNotOptimize(rewriter.render(prepared, style));
        }
    }
}

void BM_PolishFiveHundredCharactersFourPresets(benchmark::State& state)
{
    rewriteFourStyles(state, kLongText);
    state.counters["characters"] = static_cast<double>(kLongText.size());
}
BENCHMARK(BM_PolishFiveHundredCharactersFourPresets)->Unit(benchmark::kMicrosecond);

/** Prints the share of `errors` that "Fix Grammar" fixes, per kind and in all. */
void printFixed(TextRewriter& rewriter, const char* title, const QList<test::EvaluationSet::Error>& errors)
{
    QMap<QString, std::pair<int, int>> categories;
    for (const test::EvaluationSet::Error& error : errors) {
        auto& [fixed, total] = categories[error.category];
        fixed += rewriter.rewrite(error.input, RewriteStyle::FixGrammar) == error.expected ? 1 : 0;
        ++total;
    }
    int allFixed = 0;
    std::printf("%s (%lld sentences with errors):\n", title, static_cast<long long>(errors.size()));
    for (auto it = categories.cbegin(); it != categories.cend(); ++it) {
        allFixed += it->first;
        std::printf("  %-18s %3d of %3d fixed (%5.1f %%)\n", qPrintable(it.key()), it->first, it->second,
                    100.0 * it->first / it->second);
    }
    std::printf("  %-18s %3d of %3lld fixed (%5.1f %%)\n", "all", allFixed, static_cast<long long>(errors.size()),
                100.0 * allFixed / std::max<qsizetype>(1, errors.size()));
}

/** Prints the controls of `controls` that "Fix Grammar" changes, and how many there are. */
void printDamaged(TextRewriter& rewriter, const char* title, const QList<test::EvaluationSet::Error>& controls)
{
    int damaged = 0;
    for (const test::EvaluationSet::Error& control : controls) {
        const QString result = rewriter.rewrite(control.input, RewriteStyle::FixGrammar);
        if (result != control.input) {
            ++damaged;
            std::printf("  [%s] %s -> %s\n", qPrintable(control.category), qPrintable(control.input),
                        qPrintable(result));
        }
    }
    std::printf("%s damaged by \"Fix Grammar\": %d of %lld (%.1f %%)\n", title, damaged,
                static_cast<long long>(controls.size()), 100.0 * damaged / std::max<qsizetype>(1, controls.size()));
}

/** Prints how the rules engine does on the evaluation sets: share fixed per kind, controls damaged. */
void printEvaluation()
{
    const test::EvaluationSet set = test::EvaluationSet::load();
    TextRewriter rewriter(rules().dictionary, rules().lexicon, rules().otherLanguages);
    printFixed(rewriter, "Evaluation set of the tables' kinds", set.errors);
    QList<test::EvaluationSet::Error> controls;
    for (const QString& control : set.controls) {
        controls.append({QStringLiteral("control"), control, control});
    }
    printDamaged(rewriter, "Controls", controls);
    printFixed(rewriter, "Set written apart from the tables", set.unseenErrors);
    printDamaged(rewriter, "Controls written apart from the tables", set.unseenControls);
    qsizetype before = 0;
    qsizetype after = 0;
    for (const QString& sentence : set.wordy) {
        before += sentence.size();
        after += rewriter.rewrite(sentence, RewriteStyle::Concise).size();
    }
    std::printf("\"Concise\" on wordy text: %.1f %% shorter\n\n",
                100.0 - 100.0 * after / std::max<qsizetype>(1, before));
}

// Enough sentences that a rate of changes below 1 % is measured on at least twenty of them.
constexpr int kProseSentences = 2500;
constexpr unsigned kProseSeed = 27;
const QString kCodespellList = QStringLiteral("/usr/lib/python3/dist-packages/codespell_lib/data/dictionary.txt");

/**
 * "Fix Grammar" on sentences from documents Debian installs: prints every change, so each one can
 * be judged a true correction or a fault, and the share of sentences changed.
 */
void printProseChanges()
{
    QElapsedTimer timer;
    timer.start();
    const QStringList sample = bench::ProseSample::draw(kProseSentences, kProseSeed);
    const qint64 drawn = timer.elapsed();
    TextRewriter rewriter(rules().dictionary, rules().lexicon, rules().otherLanguages);
    int changed = 0;
    std::printf("\"Fix Grammar\" on prose from /usr/share/doc and the manual pages (seed %u):\n", kProseSeed);
    for (const QString& sentence : sample) {
        const QString result = rewriter.rewrite(sentence, RewriteStyle::FixGrammar);
        if (result != sentence) {
            ++changed;
            std::printf("  - %s\n    + %s\n", qPrintable(sentence), qPrintable(result));
        }
    }
    std::printf("  %d of %lld sentences changed (%.2f %%); sample drawn in %lld ms\n\n", changed,
                static_cast<long long>(sample.size()), 100.0 * changed / std::max<qsizetype>(1, sample.size()),
                static_cast<long long>(drawn));
}

/**
 * The share of the codespell package's single-correction entries that "Fix Grammar" corrects in a
 * neutral sentence. Entries whose misspelling the English dictionaries know are counted apart:
 * the engine never changes a known word, by design.
 */
void printCodespellShare(bool listMisses)
{
    QFile file(kCodespellList);
    if (!file.open(QIODevice::ReadOnly)) {
        std::printf("codespell list not installed (%s)\n\n", qPrintable(kCodespellList));
        return;
    }
    static const QRegularExpression plain(QStringLiteral("^[a-z]{3,}$"));
    TextRewriter rewriter(rules().dictionary, rules().lexicon, rules().otherLanguages);
    int entries = 0;
    int known = 0;
    int corrected = 0;
    int wrong = 0;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        const qsizetype arrow = line.indexOf(QLatin1String("->"));
        if (arrow <= 0) {
            continue;
        }
        const QString misspelling = line.left(arrow).trimmed();
        const QString correction = line.mid(arrow + 2).trimmed();
        if (correction.contains(QLatin1Char(',')) || !plain.match(misspelling).hasMatch() ||
            !plain.match(correction).hasMatch()) {
            continue;
        }
        ++entries;
        if (rules().dictionary->isKnown(misspelling)) {
            ++known;
            continue;
        }
        const QString result = rewriter.rewrite(QStringLiteral("We looked at the %1 together.").arg(misspelling),
                                                RewriteStyle::FixGrammar);
        if (result == QStringLiteral("We looked at the %1 together.").arg(correction)) {
            ++corrected;
            continue;
        }
        const bool changed = !result.contains(misspelling);
        wrong += changed ? 1 : 0;
        if (listMisses) {
            std::printf("%s\t%s\t%s\n", changed ? "wrong" : "kept", qPrintable(misspelling),
                        qPrintable(changed ? correction + QLatin1Char('\t') + result : correction));
        }
    }
    const int unknown = entries - known;
    std::printf("codespell single-correction entries: %d (%d are words the dictionaries know)\n", entries, known);
    std::printf("  corrected %d of %d unknown misspellings (%.1f %%), changed to another word %d (%.1f %%)\n\n",
                corrected, unknown, 100.0 * corrected / std::max(1, unknown), wrong,
                100.0 * wrong / std::max(1, unknown));
}

void BM_RewriteFourStyles(benchmark::State& state)
{
    rewriteFourStyles(state, kText);
}
BENCHMARK(BM_RewriteFourStyles)->Unit(benchmark::kMicrosecond);

void BM_CorrectUnseenWord(benchmark::State& state)
{
    int counter = 0;
    TextRewriter rewriter(rules().dictionary, rules().lexicon, rules().otherLanguages);
    for (auto _ : state) {
        // A fresh unknown word each time, so the corrector's memory does not help.
        QString word = QStringLiteral("recieve");
        for (int n = counter++, i = 0; i < 5; ++i, n /= 26) {
            word.append(QChar(u'a' + n % 26));
        }
        benchmark::DoNotOptimize(
            rewriter.rewrite(QStringLiteral("the %1 was late").arg(word), RewriteStyle::FixGrammar));
    }
}
BENCHMARK(BM_CorrectUnseenWord)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // "rules_bench --rewrite TEXT" shows what each style makes of one text, and nothing else.
    if (argc == 3 && QByteArray(argv[1]) == "--rewrite") {
        TextRewriter rewriter(rules().dictionary, rules().lexicon, rules().otherLanguages);
        const QString text = QString::fromLocal8Bit(argv[2]);
        for (const RewriteStyle style :
             {RewriteStyle::FixGrammar, RewriteStyle::Professional, RewriteStyle::Casual, RewriteStyle::Concise}) {
            std::printf("%s\n", qPrintable(rewriter.rewrite(text, style)));
        }
        return 0;
    }
    // "rules_bench --codespell-misses" lists the codespell entries left uncorrected or changed
    // wrongly; "rules_bench --prose" shows the changes to Debian's prose alone.
    if (argc == 2 && QByteArray(argv[1]) == "--codespell-misses") {
        printCodespellShare(true);
        return 0;
    }
    if (argc == 2 && QByteArray(argv[1]) == "--prose") {
        printProseChanges();
        return 0;
    }
    printEvaluation();
    printProseChanges();
    printCodespellShare(false);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
