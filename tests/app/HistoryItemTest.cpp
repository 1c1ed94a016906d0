#include "app/HistoryItem.h"
#include "core/JsonCoding.h"
#include "support/SimDesktopTest.h"
#include "support/Thrown.h"

#include <QTimeZone>

#include <cmath>

namespace quillora {
namespace {

using HistoryItemTest = SimDesktopTest;

QByteArray itemJson(const char* extra)
{
    return QByteArray(R"({"id":"6ba7b810-9dad-11d1-80b4-00c04fd430c8","originalText":"teh text",)"
                      R"("polishedResults":[{"id":"6BA7B811-9DAD-11D1-80B4-00C04FD430C8",)"
                      R"("presetName":"Fix Grammar","content":"the text","logId":12}],)") +
           extra + "}";
}

TEST_F(HistoryItemTest, DecodesOptionalsAndIgnoresUnknownKeys)
{
    struct Case
    {
        const char* extra;
        std::optional<QString> modelUsed;
        std::optional<double> responseTime;
    };
    const Case cases[] = {
        {R"("timestamp":0)", std::nullopt, std::nullopt},
        {R"("timestamp":0,"modelUsed":null,"responseTime":null)", std::nullopt, std::nullopt},
        {R"("timestamp":0,"modelUsed":"m1","responseTime":2)", QStringLiteral("m1"), 2.0},
        {R"("timestamp":86400.25,"responseTime":0.125,"unknown":{"a":1})", std::nullopt, 0.125},
    };
    for (const Case& c : cases) {
        const HistoryItem item = HistoryItem::fromJson(JsonCoding::parse(itemJson(c.extra)));
        EXPECT_EQ(item.modelUsed, c.modelUsed) << c.extra;
        EXPECT_EQ(item.responseTime, c.responseTime) << c.extra;
        ASSERT_EQ(item.polishedResults.size(), 1);
        EXPECT_EQ(item.polishedResults[0].logId, 12);
        EXPECT_EQ(item.toJson().value("id").toString(), QStringLiteral("6BA7B810-9DAD-11D1-80B4-00C04FD430C8"));
    }
    EXPECT_EQ(HistoryItem::fromJson(JsonCoding::parse(itemJson(R"("timestamp":86400.25)"))).timestamp,
              QDateTime(QDate(2001, 1, 2), QTime(0, 0, 0, 250), QTimeZone::utc()));
}

TEST_F(HistoryItemTest, BrokenItemsFailWithThePathOfTheBadValue)
{
    struct Case
    {
        QByteArray json;
        const char* path;
    };
    const Case cases[] = {
        {itemJson(R"("timestamp":"2025-01-01")"), "timestamp"},
        {itemJson(R"("timestamp":0,"modelUsed":5)"), "modelUsed"},
        {itemJson(R"("timestamp":0,"responseTime":"fast")"), "responseTime"},
        {R"({"id":"6BA7B810-9DAD-11D1-80B4-00C04FD430C8","originalText":"t","polishedResults":{},"timestamp":0})",
         "polishedResults"},
        {R"({"id":"6BA7B810-9DAD-11D1-80B4-00C04FD430C8","originalText":"t","timestamp":0,)"
         R"("polishedResults":[{"id":"6BA7B811-9DAD-11D1-80B4-00C04FD430C8"}]})",
         "polishedResults[0].presetName"},
        {R"({"id":"6BA7B810-9DAD-11D1-80B4-00C04FD430C8","originalText":"t","timestamp":0,"polishedResults":[)"
         R"({"id":"6BA7B811-9DAD-11D1-80B4-00C04FD430C8","presetName":"a","content":"b","logId":2.5}]})",
         "polishedResults[0].logId"},
        {R"({"id":"6BA7B810-9DAD-11D1-80B4-00C04FD430C8","polishedResults":[],"timestamp":0})", "originalText"},
    };
    for (const Case& c : cases) {
        const auto error =
            test::thrown<JsonDecodingError>([&] { (void)HistoryItem::fromJson(JsonCoding::parse(c.json)); });
        EXPECT_EQ(error ? error->codingPath() : QString(), QString::fromLatin1(c.path)) << c.json.constData();
    }
}

} // namespace
} // namespace quillora
