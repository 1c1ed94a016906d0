#include "keys/KeyEvent.h"
#include "KeyPrinters.h"
#include "keys/KeyEventDecodingError.h"
#include "core/ErrorRecord.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QSet>

#include <unordered_set>

namespace quillora {
namespace {

using Kind = KeyEventDecodingError::Kind;

TEST(KeyEventTest, EqualityAndHashingFollowKeyAndModifiersInOrder)
{
    const KeyEvent commandShift(Key::a, Modifier::command, Modifier::shift);
    EXPECT_EQ(commandShift, KeyEvent(Key::a, {Modifier::command, Modifier::shift}));
    EXPECT_EQ(qHash(commandShift), qHash(KeyEvent(Key::a, {Modifier::command, Modifier::shift})));
    EXPECT_NE(commandShift, KeyEvent(Key::a, Modifier::shift, Modifier::command));
    EXPECT_NE(commandShift, KeyEvent(Key::a, Modifier::command, Modifier::shift, Modifier::shift));
    EXPECT_NE(commandShift, KeyEvent(Key::b, Modifier::command, Modifier::shift));
    EXPECT_NE(KeyEvent(Key::a), commandShift);

    const QSet<KeyEvent> qtSet{commandShift, KeyEvent(Key::a), KeyEvent(Key::a, {})};
    const std::unordered_set<KeyEvent> stdSet{commandShift, KeyEvent(Key::a), KeyEvent(Key::a, {})};
    EXPECT_EQ(qtSet.size(), 2);
    EXPECT_EQ(stdSet.size(), 2u);
}

TEST(KeyEventTest, FlagsAreTheUnionOfTheModifiers)
{
    EXPECT_EQ(KeyEvent(Key::v).flags(), 0u);
    EXPECT_EQ(KeyEvent(Key::v, Modifier::command).flags(), 0x100000u);
    EXPECT_EQ(KeyEvent(Key::v, Modifier::command, Modifier::shift, Modifier::command).flags(), 0x120000u);
    const auto& all = Modifier::allCases();
    EXPECT_EQ(KeyEvent(Key::v, QList<Modifier>(all.begin(), all.end())).flags(), 0xFF0000u);
}

TEST(KeyEventTest, EncodingNamesEachCaseAndRoundTrips)
{
    const QJsonObject expected = QJsonDocument::fromJson(R"({"key":{"f5":{}},"modifiers":[{"option":{}}]})").object();
    EXPECT_EQ(KeyEvent(Key::f5, Modifier::option).toJson(), expected);
    EXPECT_EQ(KeyEvent(Key::return_).encoded(), QByteArray(R"({"key":{"return":{}},"modifiers":[]})"));

    for (const Key key : Key::allCases()) {
        const KeyEvent event(key, Modifier::shift, Modifier::numPad, Modifier::shift);
        EXPECT_EQ(KeyEvent::decode(event.encoded()), event);
    }
    for (const Modifier modifier : Modifier::allCases()) {
        const KeyEvent event(Key::leftArrow, modifier);
        EXPECT_EQ(KeyEvent::fromJson(event.toJson()), event);
    }
}

TEST(KeyEventTest, DecodingIgnoresUnknownMembersAndTheCaseObjectsContents)
{
    const KeyEvent decoded = KeyEvent::decode(
        R"({"key":{"extra":1,"a":{"ignored":[1]}},"modifiers":[{"command":{"x":null},"bogus":3}],"other":true})");
    EXPECT_EQ(decoded, KeyEvent(Key::a, Modifier::command));
}

TEST(KeyEventTest, DecodingFailuresNameTheirKindPlaceAndReason)
{
    const QString invalidCount = QStringLiteral("Invalid number of keys found, expected one.");
    const QStringList atKey{QStringLiteral("key")};
    const QStringList atFirstModifier{QStringLiteral("modifiers"), QStringLiteral("Index 0")};
    const struct
    {
        QByteArray json;
        Kind kind;
        QStringList codingPath;
        QString description; // empty: not checked
    } rows[] = {
        {R"({"key":{"a":{},"b":{}},"modifiers":[]})", Kind::typeMismatch, atKey, invalidCount},
        {R"({"key":{},"modifiers":[]})", Kind::typeMismatch, atKey, invalidCount},
        {R"({"key":{"A":{}},"modifiers":[]})", Kind::typeMismatch, atKey, invalidCount},
        {R"({"key":{"a":{}},"modifiers":[{}]})", Kind::typeMismatch, atFirstModifier, invalidCount},
        {R"({"key":{"a":{}},"modifiers":[{"command":{},"shift":{}}]})", Kind::typeMismatch, atFirstModifier,
         invalidCount},
        {R"({"key":{"a":{}}})", Kind::keyNotFound, {}, QStringLiteral("No value associated with key \"modifiers\".")},
        {R"({"modifiers":[]})", Kind::keyNotFound, {}, QStringLiteral("No value associated with key \"key\".")},
        {R"({"key":null,"modifiers":[]})", Kind::valueNotFound, atKey, {}},
        {R"({"key":"a","modifiers":[]})", Kind::typeMismatch, atKey, {}},
        {R"({"key":{"a":1},"modifiers":[]})", Kind::typeMismatch, {QStringLiteral("key"), QStringLiteral("a")}, {}},
        {R"({"key":{"a":{}},"modifiers":{"command":{}}})", Kind::typeMismatch, {QStringLiteral("modifiers")}, {}},
        {R"({"key":{"a":{}},"modifiers":["command"]})", Kind::typeMismatch, atFirstModifier, {}},
        {R"([{"key":{"a":{}},"modifiers":[]}])", Kind::typeMismatch, {}, {}},
        {"not json", Kind::dataCorrupted, {}, {}},
        {"", Kind::dataCorrupted, {}, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.json.toStdString());
        try {
            (void)KeyEvent::decode(row.json);
            ADD_FAILURE() << "decoded";
        } catch (const KeyEventDecodingError& error) {
            EXPECT_EQ(error.kind(), row.kind);
            EXPECT_EQ(error.codingPath(), row.codingPath);
            EXPECT_FALSE(error.description().isEmpty());
            if (!row.description.isEmpty()) {
                EXPECT_EQ(error.description(), row.description);
                EXPECT_EQ(error.localizedDescription(), row.description);
            }
        }
    }
}

TEST(KeyEventTest, DecodingErrorBecomesACoderErrorRecord)
{
    const KeyEventDecodingError mismatch(Kind::typeMismatch, {QStringLiteral("key")},
                                         QStringLiteral("Invalid number of keys found, expected one."));
    const ErrorRecord record = mismatch.toRecord();
    EXPECT_EQ(record.domain(), QStringLiteral("NSCocoaErrorDomain"));
    EXPECT_EQ(record.code(), 4864);
    EXPECT_EQ(record.localizedDescription(), QStringLiteral("Invalid number of keys found, expected one."));
    EXPECT_EQ(KeyEventDecodingError(Kind::keyNotFound, {}, QStringLiteral("missing")).toRecord().code(), 4865);
    const ErrorPtr copy = errorFromException(std::make_exception_ptr(mismatch));
    ASSERT_NE(dynamic_cast<const KeyEventDecodingError*>(copy.get()), nullptr);
    EXPECT_TRUE(copy->debugDescription().contains(QStringLiteral("typeMismatch")));
}

} // namespace
} // namespace quillora
