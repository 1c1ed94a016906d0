#pragma once

#include "rules/TextRewriter.h"
#include "server/CompletionInbox.h"
#include "server/engines/RewriteEngine.h"

#include <QThreadPool>

#include <future>
#include <memory>
#include <mutex>
#include <vector>

namespace quillora {

class Lexicon;
class SpellingDictionary;

/** What the `rules` engine reads at start-up; loaded once and shared by every engine that needs it. */
struct RulesResources
{
    std::shared_ptr<const SpellingDictionary> dictionary;
    std::shared_ptr<const Lexicon> lexicon;
    /**
     * The other languages' dictionaries installed beside the English ones, loaded in the background
     * (they take several times as long as the English ones, and the service answers meanwhile; a
     * rewrite waits for them); null when there are none or they cannot be read.
     */
    std::shared_future<std::shared_ptr<const SpellingDictionary>> otherLanguages;

    /**
     * Loads the dictionaries, the other languages' dictionaries found beside the first one, the
     * data folder and WordNet. Throws `ServerError` (InvalidOption) naming the file that cannot be read.
     */
    [[nodiscard]] static RulesResources load(const QStringList& dictionaryPaths, const QString& dataFolder,
                                             const QString& wordnetFolder);
};

/**
 * The embedded offline engine: deterministic rewrites by rule. Every preset gets the corrections
 * (spelling, grammar, spacing, capitals); "Professional" and "Casual" change contractions and
 * register, "Concise" drops filler words and wordy phrases. A preset of the user's own gets the
 * corrections only, and the model name and the outcome's `correctionsOnly` then say so, since
 * free instructions cannot be followed by rules. A text that is not English is left unchanged,
 * with a note saying why. Never fails.
 *
 * The rewriting runs on worker threads of the engine's own, so that one polishing never holds up
 * the event loop and polishings run side by side on every core. Each worker takes a rewriter of
 * its own (a rewriter remembers the corrections it found and is not shared between threads).
 */
class RulesEngine final : public RewriteEngine
{
public:
    /** `threads` workers at most; 0 for one per processor core. */
    RulesEngine(const RulesResources& resources, int threads);
    /** Waits for the rewrites still running and resumes their callers before it returns. */
    ~RulesEngine() override;

    /** "quillora-rules-1". */
    [[nodiscard]] QString model() const override;

    /** False: it rewrites on its own threads. */
    [[nodiscard]] bool callsUpstream() const override { return false; }

    QCoro::Task<RewriteOutcome> rewrite(QString text, QList<PresetText> presets) override;

private:
    [[nodiscard]] RewriteOutcome rewriteNow(const QString& text, const QList<PresetText>& presets);
    [[nodiscard]] std::unique_ptr<TextRewriter> takeRewriter();
    void giveBack(std::unique_ptr<TextRewriter> rewriter);

    RulesResources m_resources;
    std::mutex m_idleMutex;
    std::vector<std::unique_ptr<TextRewriter>> m_idle;
    /** Finished rewrites, handed back to the thread that asked for them. */
    CompletionInbox m_finished;
    // Declared last: it is destroyed first, waiting for the rewrites still running.
    QThreadPool m_workers;
};

} // namespace quillora
