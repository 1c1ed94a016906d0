#pragma once

#include "server/http/ApiResponse.h"

#include <qcoro/qcorotask.h>

namespace quillora {

class Clock;
class RewriteEngine;
class StorePool;
class UpstreamGate;

/**
 * "/polish" and "/polishing/ID/interactions". Failures are thrown as `ApiError`; storage failures
 * as `ServerError`.
 */
class PolishApi final
{
public:
    /**
     * `maxAnswerBytes` bounds the size of one polishing's answer; `dailyLimit` (0: none) the
     * polishings of one user per UTC day.
     */
    PolishApi(StorePool& pool, RewriteEngine& engine, Clock& clock, UpstreamGate& upstream, qint64 maxAnswerBytes,
              int dailyLimit);

    /**
     * POST {"text"}: rewrites the text once per preset of the user and records the polishing.
     * 200 with {"log_id", "results": {preset name: text}, "model", "duration"}, and where the
     * engine says so "follows_instructions": false, "corrections_only": [preset name] and
     * "note"; variations hold no control characters but tab and line feed. 413 for a text
     * over 10,000 characters; 422 for an empty one; 502 with the engine's reasons when no preset
     * could be rewritten (nothing is recorded then). The answer is bounded: 413 when the text
     * times the number of presets exceeds the answer limit, and 502 when the rewritten texts
     * together do. 429 with "Retry-After" (seconds to the next UTC midnight) once the user has
     * had the day's polishings; the count is kept in the database and checked as the polishing is
     * recorded, so it holds for polishings in parallel and across instances.
     * 503 when no upstream slot came free within the queue time-out.
     */
    [[nodiscard]] QCoro::Task<ApiResponse> polish(qint64 userId, QByteArray body);

    /**
     * POST {"interaction": {"action", "preset_name"}} for one of the user's polishings: 201 with
     * {"id"}; 404 when the user has no such polishing.
     */
    [[nodiscard]] QCoro::Task<ApiResponse> logInteraction(qint64 userId, QString logId, QByteArray body);

private:
    /** 429 until the next UTC midnight. */
    [[nodiscard]] ApiResponse dailyLimitReached() const;

    StorePool& m_pool;
    RewriteEngine& m_engine;
    Clock& m_clock;
    UpstreamGate& m_upstream;
    qint64 m_maxAnswerBytes;
    int m_dailyLimit;
};

} // namespace quillora
