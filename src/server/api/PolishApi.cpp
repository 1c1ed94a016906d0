#include "server/api/PolishApi.h"

#include "core/Clock.h"
#include "core/Graphemes.h"
#include "core/PolishLimits.h"
#include "core/PresetRules.h"
#include "server/api/ApiError.h"
#include "server/api/JsonRequest.h"
#include "server/api/PresetApi.h"
#include "server/engines/RewriteEngine.h"
#include "server/engines/UpstreamGate.h"
#include "server/engines/VariationText.h"
#include "server/store/Store.h"
#include "server/store/StorePool.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>
#include <QLocale>

#include <algorithm>
#include <functional>
#include <limits>
#include <memory>

namespace quillora {

namespace {

constexpr qsizetype kMaxActionCharacters = 64;
constexpr qsizetype kMaxPresetNameCharacters = 200;

} // namespace

PolishApi::PolishApi(StorePool& pool, RewriteEngine& engine, Clock& clock, UpstreamGate& upstream,
                     qint64 maxAnswerBytes, int dailyLimit)
    : m_pool(pool)
    , m_engine(engine)
    , m_clock(clock)
    , m_upstream(upstream)
    , m_maxAnswerBytes(maxAnswerBytes)
    , m_dailyLimit(dailyLimit)
{
}

QCoro::Task<ApiResponse> PolishApi::polish(qint64 userId, QByteArray body)
{
    const QString text = JsonRequest::string(JsonRequest::object(body), QStringLiteral("text"));
    const qsizetype characters = Graphemes::count(text);
    if (characters > PolishLimits::maximumTextLength) {
        throw ApiError(413, QStringLiteral("The text has %1 characters; at most %2 can be polished at once.")
                                .arg(characters)
                                .arg(QLocale(QLocale::English).toString(PolishLimits::maximumTextLength)));
    }
    if (text.trimmed().isEmpty()) {
        throw ApiError(422, QStringLiteral("\"text\" must not be empty."));
    }
    // Checked here to spare the work, and again as the polishing is recorded, which polishings
    // running side by side cannot pass.
    if (m_dailyLimit > 0) {
        const qint64 now = m_clock.wallNow().toSecsSinceEpoch();
        const auto count = [userId, now](Store& store) { return store.polishingsOnDayOf(userId, now); };
        if (co_await m_pool.run(count) >= m_dailyLimit) {
            co_return dailyLimitReached();
        }
    }
    QList<PresetText> presets;
    const auto read = [userId](Store& store) { return store.presets(userId); };
    const QList<StoredPreset> stored = co_await m_pool.run(read);
    // Resumed while the service shuts down: the engine is about to go, and the answer could not
    // be stored anyway.
    if (m_pool.isClosed()) {
        throw ApiError(503, QStringLiteral("The service is shutting down; please try again in a moment."));
    }
    for (const StoredPreset& preset : stored) {
        presets.append({preset.name, preset.instruction});
    }
    // Each preset gives roughly one text of the input's size; refusing before the engine runs
    // spares the work as well as the answer.
    const qint64 textBytes = text.toUtf8().size();
    if (textBytes * presets.size() > m_maxAnswerBytes) {
        throw ApiError(413, QStringLiteral("The text is too long to polish with %1 presets at once; shorten it or "
                                           "remove presets.")
                                .arg(presets.size()));
    }

    // Slots for the upstream requests; an engine that rewrites on its own takes none.
    int granted = 0;
    if (m_engine.callsUpstream()) {
        granted = co_await m_upstream.acquire(static_cast<int>(presets.size()));
        if (granted == 0) {
            ApiResponse busy =
                ApiResponse::error(503, QStringLiteral("The rewriting model is busy; please try again in a moment."));
            busy.retryAfter = 5;
            co_return busy;
        }
    }
    // Given back however the rewriting ends, also when it throws.
    const std::unique_ptr<UpstreamGate, std::function<void(UpstreamGate*)>> slotsHeld(
        granted > 0 ? &m_upstream : nullptr, [granted](UpstreamGate* gate) { gate->release(granted); });
    QElapsedTimer timer;
    timer.start();
    const RewriteOutcome outcome = co_await m_engine.rewrite(text, presets);
    const double duration = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    if (!presets.isEmpty() && outcome.results.isEmpty()) {
        throw ApiError(
            502, QStringLiteral("The rewriting model failed: %1").arg(outcome.failures.join(QStringLiteral("; "))));
    }

    // A model may answer at far greater length than it was asked to.
    qint64 answerBytes = 0;
    for (const auto& [name, rewritten] : outcome.results) {
        answerBytes += name.toUtf8().size() + rewritten.toUtf8().size();
    }
    if (answerBytes > m_maxAnswerBytes) {
        throw ApiError(502, QStringLiteral("The rewritten texts are larger than the service sends in one answer."));
    }

    PolishingRecord record{
        userId, m_clock.wallNow().toSecsSinceEpoch(), outcome.model, duration, characters, outcome.results.size()};
    const qint64 limit = m_dailyLimit > 0 ? m_dailyLimit : std::numeric_limits<qint64>::max();
    const auto write = [record, limit](Store& store) { return store.addPolishing(record, limit); };
    const std::optional<qint64> logId = co_await m_pool.run(write);
    if (!logId) {
        co_return dailyLimitReached();
    }
    QJsonObject results;
    for (const auto& [name, rewritten] : outcome.results) {
        results.insert(name, VariationText::withoutControls(rewritten));
    }
    QJsonObject answer{{QStringLiteral("log_id"), *logId},
                       {QStringLiteral("results"), results},
                       {QStringLiteral("model"), outcome.model},
                       {QStringLiteral("duration"), duration}};
    // Only where they tell something, so that an answer from a language model looks as before.
    if (!outcome.followsInstructions) {
        answer.insert(QStringLiteral("follows_instructions"), false);
    }
    if (!outcome.correctionsOnly.isEmpty()) {
        answer.insert(QStringLiteral("corrections_only"), QJsonArray::fromStringList(outcome.correctionsOnly));
    }
    if (!outcome.note.isEmpty()) {
        answer.insert(QStringLiteral("note"), outcome.note);
    }
    co_return ApiResponse::json(200, answer);
}

ApiResponse PolishApi::dailyLimitReached() const
{
    const QDateTime now = m_clock.wallNow().toUTC();
    const QDateTime nextDay(now.date().addDays(1), QTime(0, 0), Qt::UTC);
    ApiResponse refusal = ApiResponse::error(
        429, QStringLiteral("You have used today's %1 polishings. More are available after midnight UTC.")
                 .arg(m_dailyLimit));
    refusal.retryAfter = std::max<qint64>(1, now.secsTo(nextDay));
    return refusal;
}

QCoro::Task<ApiResponse> PolishApi::logInteraction(qint64 userId, QString logId, QByteArray body)
{
    const qint64 polishingId = PresetApi::parseId(logId, QStringLiteral("polishing"));
    const QJsonObject interaction = JsonRequest::object(JsonRequest::object(body), QStringLiteral("interaction"));
    const QString action = JsonRequest::string(interaction, QStringLiteral("action"));
    const QString presetName = JsonRequest::string(interaction, QStringLiteral("preset_name"));
    if (action.isEmpty() || action.size() > kMaxActionCharacters) {
        throw ApiError(422, QStringLiteral("\"action\" must have 1 to 64 characters."));
    }
    if (presetName.size() > kMaxPresetNameCharacters) {
        throw ApiError(422, QStringLiteral("\"preset_name\" must have at most 200 characters."));
    }
    const qint64 now = m_clock.wallNow().toSecsSinceEpoch();
    const auto write = [userId, polishingId, action, presetName, now](Store& store) {
        return store.addInteraction(userId, polishingId, action, presetName, now);
    };
    const std::optional<qint64> id = co_await m_pool.run(write);
    if (!id) {
        throw ApiError(404, QStringLiteral("No polishing with id %1.").arg(polishingId));
    }
    co_return ApiResponse::json(201, QJsonObject{{QStringLiteral("id"), *id}});
}

} // namespace quillora
