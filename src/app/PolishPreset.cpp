#include "app/PolishPreset.h"

#include "core/JsonCoding.h"

#include <QHashFunctions>

namespace quillora {

PolishPreset::PolishPreset(std::optional<qint64> backendId, QString name, QString instruction)
    : PolishPreset(QUuid::createUuid(), backendId, std::move(name), std::move(instruction))
{
}

PolishPreset::PolishPreset(QUuid id, std::optional<qint64> backendId, QString name, QString instruction)
    : id(id)
    , backendId(backendId)
    , name(std::move(name))
    , instruction(std::move(instruction))
{
}

QJsonObject PolishPreset::toJson() const
{
    QJsonObject object{{QStringLiteral("id"), JsonCoding::uuidText(id)},
                       {QStringLiteral("name"), name},
                       {QStringLiteral("instruction"), instruction}};
    if (backendId) {
        object.insert(QStringLiteral("backendId"), *backendId);
    }
    return object;
}

PolishPreset PolishPreset::fromJson(const QJsonValue& json, const QString& path)
{
    // Fields are read one by one, in table order, so that the first bad key is the one reported.
    const JsonCoding::Reader reader(json, path);
    const QUuid id = reader.uuid(QStringLiteral("id"));
    const std::optional<qint64> backendId = reader.optionalInteger(QStringLiteral("backendId"));
    QString name = reader.string(QStringLiteral("name"));
    QString instruction = reader.string(QStringLiteral("instruction"));
    return PolishPreset(id, backendId, std::move(name), std::move(instruction));
}

size_t qHash(const PolishPreset& preset, size_t seed) noexcept
{
    // The presence flag keeps an absent identifier apart from every present value, 0 included.
    return preset.backendId ? qHashMulti(seed, preset.id, true, *preset.backendId, preset.name, preset.instruction)
                            : qHashMulti(seed, preset.id, false, preset.name, preset.instruction);
}

} // namespace quillora
