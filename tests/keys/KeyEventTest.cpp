#include "keys/KeyEvent.h"
#include "KeyPrinters.h"
#include "core/ErrorRecord.h"
#include "keys/KeyEventDecodingError.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QJsonDocument>

namespace quillora {
namespace {

using Kind = KeyEventDecodingError::Kind;

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
        {R"({"key":{"A":{}},"modifiers":[]})", Kind::typeMismatch, atKey, invalidCount},
        {R"({"key":{"a":{}},"modifiers":[{"command":{},"shift":{}}]})", Kind::typeMismatch, atFirstModifier,
         invalidCount},
        {R"({"key":{"a":{}}})", Kind::keyNotFound, {}, QStringLiteral("No value associated with key \"modifiers\".")},
        {R"({"key":null,"modifiers":[]})", Kind::valueNotFound, atKey, {}},
        {R"({"key":"a","modifiers":[]})", Kind::typeMismatch, atKey, {}},
        {R"({"key":{"a":1},"modifiers":[]})", Kind::typeMismatch, {QStringLiteral("key"), QStringLiteral("a")}, {}},
        {R"({"key":{"a":{}},"modifiers":{"command":{}}})", Kind::typeMismatch, {QStringLiteral("modifiers")}, {}},
        {R"([{"key":{"a":{}},"modifiers":[]}])", Kind::typeMismatch, {}, {}},
        {"not json", Kind::dataCorrupted, {}, {}},
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

} // namespace
} // namespace quillora
