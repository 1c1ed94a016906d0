#include "server/engines/RulesEngine.h"

#include "core/AsyncEvent.h"
#include "core/WorkOutcome.h"
#include "rules/Lexicon.h"
#include "rules/RulesDataError.h"
#include "rules/SpellingDictionary.h"
#include "server/ServerError.h"

#include <QHash>

namespace quillora {

namespace {

/**
 * Whether the rewriter left the whole text alone because it is not English: it kept each
 * sentence that is not as one verbatim token of several words, and no word is left outside them.
 */
bool isForeign(const TokenList& tokens)
{
    bool foreignSentence = false;
    for (const TextToken& token : tokens) {
        if (token.is(TextToken::Kind::Word)) {
            return false;
        }
        foreignSentence = foreignSentence || (token.is(TextToken::Kind::Verbatim) && token.text.contains(u' '));
    }
    return foreignSentence;
}

} // namespace

RulesResources RulesResources::load(const QStringList& dictionaryPaths, const QString& dataFolder,
                                    const QString& wordnetFolder)
{
    // To the service, unreadable tables are a bad start-up option: the operator named the files.
    try {
        RulesResources resources{
            SpellingDictionary::load(dictionaryPaths), Lexicon::load(dataFolder, wordnetFolder), {}};
        const QStringList others = dictionaryPaths.isEmpty()
                                       ? QStringList()
                                       : SpellingDictionary::otherLanguagesBeside(dictionaryPaths.first());
        resources.otherLanguages =
            std::async(std::launch::async, [others]() -> std::shared_ptr<const SpellingDictionary> {
                // Other languages only keep their words from being corrected: without them the
                // engine still works, so a list that cannot be read is left out.
                try {
                    return others.isEmpty() ? nullptr : SpellingDictionary::load(others);
                } catch (const RulesDataError&) {
                    return nullptr;
                }
            }).share();
        return resources;
    } catch (const RulesDataError& error) {
        throw ServerError(ServerError::Kind::InvalidOption, error.localizedDescription());
    }
}

RulesEngine::RulesEngine(const RulesResources& resources, int threads)
    : m_resources(resources)
{
    if (threads > 0) {
        m_workers.setMaxThreadCount(threads);
    }
    // Workers are kept, not started anew for each burst of requests.
    m_workers.setExpiryTimeout(-1);
}

RulesEngine::~RulesEngine()
{
    m_workers.waitForDone();
    // The callers resume now, while what they go on to use still exists, not on a later pass of
    // the event loop.
    m_finished.drain();
}

QString RulesEngine::model() const
{
    return QStringLiteral("quillora-rules-1");
}

QCoro::Task<RewriteOutcome> RulesEngine::rewrite(QString text, QList<PresetText> presets)
{
    struct Job
    {
        AsyncEvent done;
        WorkOutcome<RewriteOutcome> outcome;
    };
    auto job = std::make_shared<Job>();
    m_workers.start([this, job, text = std::move(text), presets = std::move(presets)] {
        auto rewrite = [&] { return rewriteNow(text, presets); };
        job->outcome.capture(rewrite);
        m_finished.post([job] { job->done.set(); });
    });
    co_await job->done.wait();
    co_return job->outcome.take();
}

std::unique_ptr<TextRewriter> RulesEngine::takeRewriter()
{
    {
        const std::lock_guard lock(m_idleMutex);
        if (!m_idle.empty()) {
            std::unique_ptr<TextRewriter> rewriter = std::move(m_idle.back());
            m_idle.pop_back();
            return rewriter;
        }
    }
    return std::make_unique<TextRewriter>(m_resources.dictionary, m_resources.lexicon,
                                          m_resources.otherLanguages.valid() ? m_resources.otherLanguages.get()
                                                                             : nullptr);
}

void RulesEngine::giveBack(std::unique_ptr<TextRewriter> rewriter)
{
    const std::lock_guard lock(m_idleMutex);
    m_idle.push_back(std::move(rewriter));
}

RewriteOutcome RulesEngine::rewriteNow(const QString& text, const QList<PresetText>& presets)
{
    RewriteOutcome outcome;
    outcome.model = model();
    std::unique_ptr<TextRewriter> rewriter = takeRewriter();
    const TextRewriter::Prepared prepared = rewriter->prepare(text);
    // Several presets may share a style; each style is rendered once.
    QHash<int, QString> rendered;
    QStringList ownPresets;
    for (const PresetText& preset : presets) {
        const RewriteStyle style = StylePhrases::styleForPreset(preset.name);
        if (style == RewriteStyle::FixGrammar &&
            preset.name.trimmed().compare(QLatin1String("Fix Grammar"), Qt::CaseInsensitive) != 0) {
            ownPresets.append(preset.name);
        }
        auto found = rendered.constFind(static_cast<int>(style));
        if (found == rendered.constEnd()) {
            found = rendered.insert(static_cast<int>(style), rewriter->render(prepared, style));
        }
        outcome.results.append({preset.name, *found});
    }
    outcome.followsInstructions = false;
    outcome.correctionsOnly = ownPresets;
    if (isForeign(prepared.tokens)) {
        outcome.note = QStringLiteral("The text does not look like English, so the offline engine left it unchanged.");
    }
    if (!ownPresets.isEmpty()) {
        outcome.model +=
            QStringLiteral(" (offline rules: corrections only for %1; its instructions need a language model)")
                .arg(ownPresets.join(QStringLiteral(", ")));
    }
    giveBack(std::move(rewriter));
    return outcome;
}

} // namespace quillora
