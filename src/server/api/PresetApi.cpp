#include "server/api/PresetApi.h"

#include "core/Clock.h"
#include "core/PresetRules.h"
#include "server/api/ApiError.h"
#include "server/api/JsonRequest.h"
#include "server/store/Store.h"
#include "server/store/StorePool.h"

#include <QJsonArray>
#include <QJsonObject>

namespace quillora {

namespace {

QJsonObject toJson(const StoredPreset& preset)
{
    return {{QStringLiteral("id"), preset.id},
            {QStringLiteral("name"), preset.name},
            {QStringLiteral("instruction"), preset.instruction}};
}

// A lone surrogate cannot be stored as UTF-8 (it would come back as another character), and NUL
// cuts names short in C strings and logs; neither can come from the app's own text fields.
bool isStorableText(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isNull()) {
            return false;
        }
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ++i;
        } else if (c.isSurrogate()) {
            return false;
        }
    }
    return true;
}

PresetText readPreset(const QByteArray& body)
{
    const QJsonObject object = JsonRequest::object(body);
    PresetText preset{JsonRequest::string(object, QStringLiteral("name")),
                      JsonRequest::string(object, QStringLiteral("instruction"))};
    if (!isStorableText(preset.name)) {
        throw ApiError(422, QStringLiteral("Preset name must be valid Unicode text without NUL characters."));
    }
    if (!isStorableText(preset.instruction)) {
        throw ApiError(422, QStringLiteral("Instruction must be valid Unicode text without NUL characters."));
    }
    if (preset.name.trimmed().isEmpty()) {
        throw ApiError(422, QStringLiteral("Preset name must not be empty."));
    }
    if (preset.instruction.trimmed().isEmpty()) {
        throw ApiError(422, QStringLiteral("Instruction must not be empty."));
    }
    if (const auto message = PresetRules::validate(preset.name, preset.instruction)) {
        throw ApiError(422, *message);
    }
    return preset;
}

ApiResponse written(const PresetWrite& write, int successStatus, const QString& name, qint64 id, qsizetype limit)
{
    switch (write.status) {
    case PresetWrite::Status::Done:
        return ApiResponse::json(successStatus, toJson(write.preset));
    case PresetWrite::Status::NotFound:
        throw ApiError(404, QStringLiteral("No preset with id %1.").arg(id));
    case PresetWrite::Status::DuplicateName:
        throw ApiError(409, QStringLiteral("A preset named \"%1\" already exists.").arg(name));
    case PresetWrite::Status::TooMany:
        throw ApiError(422, QStringLiteral("You can have at most %1 presets.").arg(limit));
    }
    throw ApiError(500, QStringLiteral("Unexpected preset write result."));
}

} // namespace

PresetApi::PresetApi(StorePool& pool, Clock& clock, qsizetype maxPresets)
    : m_pool(pool)
    , m_clock(clock)
    , m_maxPresets(maxPresets)
{
}

qint64 PresetApi::parseId(const QString& text, const QString& what)
{
    bool ok = text.size() <= 18;
    for (const QChar c : text) {
        ok = ok && c >= QLatin1Char('0') && c <= QLatin1Char('9');
    }
    const qint64 id = ok && !text.isEmpty() ? text.toLongLong(&ok) : 0;
    if (!ok || id <= 0) {
        throw ApiError(404, QStringLiteral("No %1 with id %2.").arg(what, text.left(40)));
    }
    return id;
}

QCoro::Task<ApiResponse> PresetApi::list(qint64 userId)
{
    const auto read = [userId](Store& store) { return store.presets(userId); };
    const QList<StoredPreset> presets = co_await m_pool.run(read);
    QJsonArray array;
    for (const StoredPreset& preset : presets) {
        array.append(toJson(preset));
    }
    co_return ApiResponse::json(200, array);
}

QCoro::Task<ApiResponse> PresetApi::create(qint64 userId, QByteArray body)
{
    const PresetText preset = readPreset(body);
    const qint64 now = m_clock.wallNow().toSecsSinceEpoch();
    const auto add = [userId, preset, now, limit = m_maxPresets](Store& store) {
        return store.addPreset(userId, preset.name, preset.instruction, now, limit);
    };
    const PresetWrite write = co_await m_pool.run(add);
    co_return written(write, 201, preset.name, 0, m_maxPresets);
}

QCoro::Task<ApiResponse> PresetApi::update(qint64 userId, QString id, QByteArray body)
{
    const qint64 presetId = parseId(id, QStringLiteral("preset"));
    const PresetText preset = readPreset(body);
    const qint64 now = m_clock.wallNow().toSecsSinceEpoch();
    const auto change = [userId, presetId, preset, now](Store& store) {
        return store.updatePreset(userId, presetId, preset.name, preset.instruction, now);
    };
    const PresetWrite write = co_await m_pool.run(change);
    co_return written(write, 200, preset.name, presetId, m_maxPresets);
}

QCoro::Task<ApiResponse> PresetApi::remove(qint64 userId, QString id)
{
    const qint64 presetId = parseId(id, QStringLiteral("preset"));
    const auto erase = [userId, presetId](Store& store) { return store.deletePreset(userId, presetId); };
    const bool deleted = co_await m_pool.run(erase);
    if (!deleted) {
        throw ApiError(404, QStringLiteral("No preset with id %1.").arg(presetId));
    }
    co_return ApiResponse::noContent();
}

} // namespace quillora
