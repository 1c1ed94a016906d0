// Feeds arbitrary bytes as JSON to the three record decoders and to a history file (an array of
// items). Whatever decodes must encode and decode again to the same JSON.
#include "app/HistoryItem.h"
#include "core/JsonCoding.h"
#include "app/PolishPreset.h"
#include "app/PolishedResult.h"

#include <QJsonDocument>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace quillora;

namespace {

template <typename Record> void checkRecord(const QJsonValue& json)
{
    try {
        const QJsonObject encoded = Record::fromJson(json).toJson();
        const QJsonObject again = Record::fromJson(encoded).toJson();
        if (again != encoded) {
            std::abort();
        }
    } catch (const JsonDecodingError&) {
    }
}

void checkHistoryFile(const QJsonValue& json)
{
    try {
        const QJsonArray encoded = JsonCoding::encodeArray(JsonCoding::decodeArray<HistoryItem>(json));
        const QByteArray text = QJsonDocument(encoded).toJson();
        if (JsonCoding::encodeArray(JsonCoding::decodeArray<HistoryItem>(JsonCoding::parse(text))) != encoded) {
            std::abort();
        }
    } catch (const JsonDecodingError&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QJsonValue json;
    try {
        json = JsonCoding::parse(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    } catch (const JsonDecodingError&) {
        return 0;
    }
    checkRecord<PolishPreset>(json);
    checkRecord<PolishedResult>(json);
    checkRecord<HistoryItem>(json);
    checkHistoryFile(json);
    return 0;
}
