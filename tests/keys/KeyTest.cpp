#include "keys/Key.h"
#include "KeyPrinters.h"
#include "keys/Modifier.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QSet>

#include <optional>

namespace quillora {
namespace {

// Two keys sharing a code or a name would make the second unreachable from a code or a name.
TEST(KeyTest, EveryKeyHasItsOwnCodeAndNameAndIsFoundByBoth)
{
    QSet<int> codes;
    QSet<QString> names;
    for (const Key key : Key::allCases()) {
        codes.insert(key.rawValue());
        names.insert(caseName(key));
        EXPECT_EQ(Key::fromRawValue(key.rawValue()), key);
        EXPECT_EQ(Key::fromCaseName(caseName(key)), key);
    }
    EXPECT_EQ(std::size_t(codes.size()), Key::allCases().size());
    EXPECT_EQ(std::size_t(names.size()), Key::allCases().size());
    EXPECT_EQ(Key::fromRawValue(55), std::nullopt);
    EXPECT_EQ(Key::fromRawValue(-1), std::nullopt);
    EXPECT_EQ(Modifier::fromCaseName(QStringLiteral("Command")), std::nullopt);
}

TEST(KeyTest, StringLookupReturnsTheFirstMatchIgnoringCase)
{
    const struct
    {
        QString string;
        std::optional<Key> key;
    } rows[] = {
        {QStringLiteral("."), Key::period},
        {QStringLiteral("\n"), Key::keypadEnter},
        {QString::fromUcs4(U"\U0010FFEE"), Key::volumeUp},
        {QStringLiteral("F5"), Key::f5},
        {QStringLiteral("f5"), Key::f5},
        {QStringLiteral("A"), Key::a},
        {QStringLiteral("_"), Key::jisUnderscore},
        {QStringLiteral("!"), std::nullopt},
        {QStringLiteral(""), std::nullopt},
        {QStringLiteral("ab"), std::nullopt},
        {QStringLiteral("F21"), std::nullopt},
        {QStringLiteral("\r"), std::nullopt},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Key::fromString(row.string), row.key) << row.string.toStdString();
    }
}

} // namespace
} // namespace quillora
