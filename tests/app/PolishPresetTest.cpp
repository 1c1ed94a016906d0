#include "app/PolishPreset.h"
#include "core/JsonCoding.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace quillora {
namespace {

const QString kId = QStringLiteral("6BA7B810-9DAD-11D1-80B4-00C04FD430C8");

TEST(PolishPresetTest, DecodesValidObjectsAndRejectsBrokenOnes)
{
    struct Case
    {
        const char* json;
        bool decodes;
        std::optional<qint64> backendId;
    };
    const Case cases[] = {
        {R"({"id":"6BA7B810-9DAD-11D1-80B4-00C04FD430C8","backendId":7,"name":"Casual","instruction":"i"})", true, 7},
        {R"({"id":"6ba7b810-9dad-11d1-80b4-00c04fd430c8","name":"Casual","instruction":"i"})", true, std::nullopt},
        {R"({"id":"6BA7B810-9DAD-11D1-80B4-00C04FD430C8","backendId":null,"name":"Casual","instruction":"i"})", true,
         std::nullopt},
        {R"({"id":"6BA7B810-9DAD-11D1-80B4-00C04FD430C8","name":"Casual","instruction":"i","extra":[1]})", true,
         std::nullopt},
        {R"({"name":"Casual","instruction":"i"})", false, std::nullopt},
        {R"({"id":"6BA7B810-9DAD-11D1-80B4-00C04FD430C8","name":"Casual"})", false, std::nullopt},
        {R"({"id":"6BA7B810-9DAD-11D1-80B4-00C04FD430C8","backendId":"7","name":"Casual","instruction":"i"})", false,
         std::nullopt},
        {R"([{"id":"6BA7B810-9DAD-11D1-80B4-00C04FD430C8","name":"Casual","instruction":"i"}])", false, std::nullopt},
    };
    for (const Case& c : cases) {
        const QJsonValue json = JsonCoding::parse(c.json);
        if (!c.decodes) {
            EXPECT_THROW((void)PolishPreset::fromJson(json), JsonDecodingError) << c.json;
            continue;
        }
        const PolishPreset preset = PolishPreset::fromJson(json);
        EXPECT_EQ(JsonCoding::uuidText(preset.id), kId) << c.json;
        EXPECT_EQ(preset.backendId, c.backendId) << c.json;
        EXPECT_EQ(preset.name, QStringLiteral("Casual")) << c.json;
    }
}

} // namespace
} // namespace quillora
