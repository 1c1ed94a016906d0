#include "app/PolishedResult.h"
#include "core/JsonCoding.h"
#include "support/QtPrinters.h"

#include <QJsonDocument>

#include <gtest/gtest.h>

namespace quillora {
namespace {

// The history file's form: the log id is written only when present, as an exact integer.
TEST(PolishedResultTest, RoundTripsThroughJsonTextAndRejectsBrokenObjects)
{
    const PolishedResult withoutLog(QStringLiteral("Casual"), QStringLiteral("hey there"));
    EXPECT_EQ(withoutLog.toJson().keys(), (QStringList{"content", "id", "presetName"}));
    const PolishedResult withLog(QStringLiteral("Casual"), QStringLiteral("hey there"), Q_INT64_C(1) << 60);
    EXPECT_TRUE(
        QJsonDocument(withLog.toJson()).toJson(QJsonDocument::Compact).contains("\"logId\":1152921504606846976"));

    for (const std::optional<qint64> logId :
         {std::optional<qint64>(), std::optional<qint64>(0), std::optional<qint64>(Q_INT64_C(-9007199254740993))}) {
        const PolishedResult result(QStringLiteral("Fix Grammar"), QStringLiteral("Fixed ✅ text"), logId);
        const QByteArray text = QJsonDocument(result.toJson()).toJson();
        EXPECT_EQ(PolishedResult::fromJson(JsonCoding::parse(text)), result) << text.constData();
    }

    const char* broken[] = {
        R"({"presetName":"a","content":"b"})",
        R"({"id":"6BA7B810-9DAD-11D1-80B4-00C04FD430C8","content":"b"})",
        R"({"id":"6BA7B810-9DAD-11D1-80B4-00C04FD430C8","presetName":"a"})",
        R"({"id":"6BA7B810-9DAD-11D1-80B4-00C04FD430C8","presetName":"a","content":"b","logId":2.5})",
        R"({"id":"6BA7B810-9DAD-11D1-80B4-00C04FD430C8","presetName":"a","content":null})",
    };
    for (const char* json : broken) {
        EXPECT_THROW((void)PolishedResult::fromJson(JsonCoding::parse(json)), JsonDecodingError) << json;
    }
}

} // namespace
} // namespace quillora
