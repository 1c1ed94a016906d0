// Feeds arbitrary bytes to the backend's preset-list decoder and to the preset cache decoder, and
// validates every name and instruction that decodes. A decoded cache must encode and decode again
// to the same list.
#include "app/BackendPreset.h"
#include "core/JsonCoding.h"
#include "app/PresetManager.h"

#include <QJsonDocument>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace quillora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray body(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    try {
        for (const BackendPreset& preset : BackendPreset::decodeList(body)) {
            (void)PresetManager::validate(preset.name, preset.instruction);
        }
    } catch (const JsonDecodingError&) {
    }
    try {
        const QList<PolishPreset> cached = JsonCoding::decodeArray<PolishPreset>(JsonCoding::parse(body));
        const QByteArray encoded = QJsonDocument(JsonCoding::encodeArray(cached)).toJson(QJsonDocument::Compact);
        if (JsonCoding::decodeArray<PolishPreset>(JsonCoding::parse(encoded)) != cached) {
            std::abort();
        }
    } catch (const JsonDecodingError&) {
    }
    return 0;
}
