#include "core/JsonCoding.h"
#include "core/ErrorRecord.h"
#include "support/QtPrinters.h"

#include <QTimeZone>

#include <gtest/gtest.h>

#include <limits>

namespace quillora {
namespace {

TEST(JsonCodingTest, UuidTextIsCanonicalUpperCaseAndReadsInEitherCase)
{
    const QUuid uuid = QUuid::fromString(QStringLiteral("{0f8fad5b-d9cb-469f-a165-70867728950e}"));
    EXPECT_EQ(JsonCoding::uuidText(uuid), QStringLiteral("0F8FAD5B-D9CB-469F-A165-70867728950E"));

    struct Case
    {
        const char* text;
        bool valid;
    };
    const Case cases[] = {
        {"0F8FAD5B-D9CB-469F-A165-70867728950E", true},
        {"0f8fad5b-d9cb-469f-a165-70867728950e", true},
        {"0f8FAD5b-D9cb-469F-a165-70867728950E", true},
        {"{0F8FAD5B-D9CB-469F-A165-70867728950E}", false},
        {"0F8FAD5BD9CB469FA16570867728950E", false},
        {"0F8FAD5B-D9CB-469F-A165-70867728950", false},
        {"0F8FAD5B-D9CB-469F-A165-70867728950EE", false},
        {"0F8FAD5B+D9CB-469F-A165-70867728950E", false},
        {"0G8FAD5B-D9CB-469F-A165-70867728950E", false},
        {" 0F8FAD5B-D9CB-469F-A165-70867728950", false},
        {"", false},
    };
    for (const Case& c : cases) {
        const std::optional<QUuid> read = JsonCoding::uuidFromText(QString::fromLatin1(c.text));
        EXPECT_EQ(read.has_value(), c.valid) << c.text;
        if (read) {
            EXPECT_EQ(*read, uuid) << c.text;
        }
    }
}

TEST(JsonCodingTest, DatesCountSecondsFromTheStartOf2001InUtc)
{
    const QDateTime reference(QDate(2001, 1, 1), QTime(0, 0), QTimeZone::utc());
    struct Case
    {
        double seconds;
        QDateTime date;
    };
    const Case cases[] = {
        {0, reference},
        {86400, reference.addDays(1)},
        {0.25, reference.addMSecs(250)},
        {-978307200, QDateTime(QDate(1970, 1, 1), QTime(0, 0), QTimeZone::utc())},
        {757382400.5, QDateTime(QDate(2025, 1, 1), QTime(0, 0, 0, 500), QTimeZone::utc())},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(JsonCoding::referenceSeconds(c.date), c.seconds) << c.seconds;
        const std::optional<QDateTime> date = JsonCoding::dateFromReferenceSeconds(c.seconds);
        ASSERT_TRUE(date.has_value()) << c.seconds;
        EXPECT_EQ(*date, c.date) << c.seconds;
        EXPECT_EQ(date->timeSpec(), Qt::LocalTime);
    }
}

TEST(JsonCodingTest, DatesOutsideTheFourDigitYearsOrNotFiniteAreRejected)
{
    const double rejected[] = {std::numeric_limits<double>::infinity(),
                               -std::numeric_limits<double>::infinity(),
                               std::numeric_limits<double>::quiet_NaN(),
                               1e300,
                               -1e300,
                               3e11,
                               -7e10};
    for (const double seconds : rejected) {
        EXPECT_FALSE(JsonCoding::dateFromReferenceSeconds(seconds).has_value()) << seconds;
    }

    // A reader turns a date out of range into corrupted data at its path, and a missing one into a missing value.
    const JsonCoding::Reader reader(JsonCoding::parse(R"({"far":1e300,"none":null,"ok":-0.5})"),
                                    QStringLiteral("item"));
    EXPECT_EQ(reader.date(QStringLiteral("ok")),
              QDateTime(QDate(2000, 12, 31), QTime(23, 59, 59, 500), QTimeZone::utc()));
    for (const auto& [key, kind] : {std::pair{"far", JsonDecodingError::Kind::dataCorrupted},
                                    std::pair{"none", JsonDecodingError::Kind::valueNotFound}}) {
        try {
            (void)reader.date(QString::fromLatin1(key));
            ADD_FAILURE() << key;
        } catch (const JsonDecodingError& error) {
            EXPECT_EQ(error.kind(), kind) << key;
            EXPECT_EQ(error.codingPath(), QStringLiteral("item.") + QString::fromLatin1(key));
        }
    }
}

TEST(JsonCodingTest, OptionalIntegersAreReadExactlyOrRejected)
{
    struct Case
    {
        const char* literal;
        std::optional<qint64> expected;
        bool fails;
    };
    const Case cases[] = {
        {"42", 42, false},
        {"-7", -7, false},
        {"3.0", 3, false},
        {"9007199254740993", Q_INT64_C(9007199254740993), false},
        {"9223372036854775807", std::numeric_limits<qint64>::max(), false},
        {"-9223372036854775808", std::numeric_limits<qint64>::min(), false},
        {"null", std::nullopt, false},
        {"9223372036854775808", std::nullopt, true},
        {"1e30", std::nullopt, true},
        {"1.5", std::nullopt, true},
        {"\"42\"", std::nullopt, true},
        {"true", std::nullopt, true},
        {"[]", std::nullopt, true},
    };
    for (const Case& c : cases) {
        const QJsonValue object = JsonCoding::parse(QByteArray("{\"n\": ") + c.literal + "}");
        const JsonCoding::Reader reader(object, QString());
        if (c.fails) {
            EXPECT_THROW((void)reader.optionalInteger(QStringLiteral("n")), JsonDecodingError) << c.literal;
        } else {
            EXPECT_EQ(reader.optionalInteger(QStringLiteral("n")), c.expected) << c.literal;
        }
        if (c.expected) {
            EXPECT_EQ(reader.integer(QStringLiteral("n")), *c.expected) << c.literal;
        } else {
            EXPECT_THROW((void)reader.integer(QStringLiteral("n")), JsonDecodingError) << c.literal;
        }
    }
}

TEST(JsonCodingTest, FailuresNameTheirKindAndPath)
{
    struct Case
    {
        const char* json;
        JsonDecodingError::Kind kind;
        const char* path;
    };
    const Case cases[] = {
        {"{}", JsonDecodingError::Kind::keyNotFound, "item.s"},
        {"{\"s\": null}", JsonDecodingError::Kind::valueNotFound, "item.s"},
        {"{\"s\": 5}", JsonDecodingError::Kind::typeMismatch, "item.s"},
    };
    for (const Case& c : cases) {
        const JsonCoding::Reader reader(JsonCoding::parse(c.json), QStringLiteral("item"));
        try {
            (void)reader.string(QStringLiteral("s"));
            ADD_FAILURE() << c.json;
        } catch (const JsonDecodingError& error) {
            EXPECT_EQ(error.kind(), c.kind) << c.json;
            EXPECT_EQ(error.codingPath(), QString::fromLatin1(c.path)) << c.json;
        }
    }
}

TEST(JsonCodingTest, ParseAcceptsOnlyJsonObjectsAndArrays)
{
    EXPECT_TRUE(JsonCoding::parse("[]").isArray());
    EXPECT_TRUE(JsonCoding::parse("{}").isObject());
    for (const char* text : {"", "[", "{\"a\":}", "nonsense", "[1,]"}) {
        EXPECT_THROW((void)JsonCoding::parse(text), JsonDecodingError) << text;
    }
}

TEST(JsonCodingTest, QuotedTextReadsBackAsTheSameString)
{
    const QString text = QStringLiteral("say \"hi\"\\ \t\r\n") + QChar(0x01) + QChar(0x1F) + QChar(0x7F) +
                         QStringLiteral(" caf\u00E9 \U0001F600 \u2028 </script>");
    const QByteArray quoted = JsonCoding::quoted(text);
    EXPECT_EQ(JsonCoding::parse("[" + quoted + "]").toArray().at(0).toString(), text);
    EXPECT_FALSE(quoted.mid(1, quoted.size() - 2).contains('\n'));
}

} // namespace
} // namespace quillora
