#pragma once

#include "server/http/ApiResponse.h"

#include <qcoro/qcorotask.h>

namespace quillora {

class Clock;
class StorePool;

/**
 * "/presets": list, create, change and delete the user's presets. A name or instruction that the
 * app's own validation refuses is refused with the same message (422); so are empty ones. Names
 * are unique per user, ignoring case, because polishing results are keyed by name (409). Text
 * that is not valid Unicode (a lone surrogate) or holds NUL is refused (422), and so is a preset
 * beyond the per-user limit, which bounds the work and the answer of one polishing.
 * Failures are thrown as `ApiError`; storage failures as `ServerError`.
 */
class PresetApi final
{
public:
    /** `maxPresets` is the most presets one user may have. */
    PresetApi(StorePool& pool, Clock& clock, qsizetype maxPresets);

    /** GET: 200 with the array of {"id", "name", "instruction"} in display order. */
    [[nodiscard]] QCoro::Task<ApiResponse> list(qint64 userId);

    /** POST {"name", "instruction"}: 201 with the new preset, appended to the list; 422 beyond the limit. */
    [[nodiscard]] QCoro::Task<ApiResponse> create(qint64 userId, QByteArray body);

    /** PUT /presets/ID {"name", "instruction"}: 200 with the changed preset; 404 for an unknown id. */
    [[nodiscard]] QCoro::Task<ApiResponse> update(qint64 userId, QString id, QByteArray body);

    /** DELETE /presets/ID: 204; 404 for an unknown id. */
    [[nodiscard]] QCoro::Task<ApiResponse> remove(qint64 userId, QString id);

    /** A path id in decimal. Throws `ApiError` (404) for anything else. */
    [[nodiscard]] static qint64 parseId(const QString& text, const QString& what);

private:
    StorePool& m_pool;
    Clock& m_clock;
    qsizetype m_maxPresets;
};

} // namespace quillora
