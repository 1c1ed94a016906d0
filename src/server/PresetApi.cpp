#include "server/PresetApi.h"

#include "core/Clock.h"
#include "core/PresetRules.h"
#include "server/ApiError.h"
#include "server/JsonRequest.h"
#include "server/Store.h"

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

PresetApi::PresetApi(Store& store, Clock& clock, qsizetype maxPresets)
    : m_store(store)
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

ApiResponse PresetApi::list(qint64 userId)
{
    QJsonArray array;
    for (const StoredPreset& preset : m_store.presets(userId)) {
        array.append(toJson(preset));
    }
    return ApiResponse::json(200, array);
}

ApiResponse PresetApi::create(qint64 userId, const QByteArray& body)
{
    const PresetText preset = readPreset(body);
    const PresetWrite write =
        m_store.addPreset(userId, preset.name, preset.instruction, m_clock.wallNow().toSecsSinceEpoch(), m_maxPresets);
    return written(write, 201, preset.name, 0, m_maxPresets);
}

ApiResponse PresetApi::update(qint64 userId, const QString& id, const QByteArray& body)
{
    const qint64 presetId = parseId(id, QStringLiteral("preset"));
    const PresetText preset = readPreset(body);
    const PresetWrite write =
        m_store.updatePreset(userId, presetId, preset.name, preset.instruction, m_clock.wallNow().toSecsSinceEpoch());
    return written(write, 200, preset.name, presetId, m_maxPresets);
}

ApiResponse PresetApi::remove(qint64 userId, const QString& id)
{
    const qint64 presetId = parseId(id, QStringLiteral("preset"));
    if (!m_store.deletePreset(userId, presetId)) {
        throw ApiError(404, QStringLiteral("No preset with id %1.").arg(presetId));
    }
    return ApiResponse::noContent();
}

} // namespace quillora
