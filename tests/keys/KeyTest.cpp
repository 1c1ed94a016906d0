#include "keys/Key.h"
#include "KeyPrinters.h"
#include "keys/Modifier.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QSet>

#include <optional>

namespace quillora {
namespace {

TEST(KeyTest, AllCasesListEveryKeyOnceInLookupOrderWithItsCode)
{
    const auto& all = Key::allCases();
    ASSERT_EQ(all.size(), 108u);
    QSet<int> codes;
    QSet<QString> names;
    for (const Key key : all) {
        codes.insert(key.rawValue());
        names.insert(caseName(key));
        EXPECT_EQ(Key::fromRawValue(key.rawValue()), key);
        EXPECT_EQ(Key::fromCaseName(caseName(key)), key);
    }
    EXPECT_EQ(codes.size(), 108);
    EXPECT_EQ(names.size(), 108);

    const struct
    {
        Key key;
        int code;
        qsizetype position;
    } telling[] = {
        {Key::a, 0, 0},
        {Key::z, 6, 25},
        {Key::zero, 29, 26},
        {Key::s, 1, 18},
        {Key::minus, 27, 36},
        {Key::grave, 50, 46},
        {Key::keypadDecimal, 65, 47},
        {Key::keypadEnter, 76, 52},
        {Key::keypad8, 91, 63},
        {Key::return_, 36, 65},
        {Key::tab, 48, 66},
        {Key::space, 49, 67},
        {Key::escape, 53, 70},
        {Key::upArrow, 126, 81},
        {Key::f1, 122, 82},
        {Key::f17, 64, 98},
        {Key::f20, 90, 101},
        {Key::isoSection, 10, 102},
        {Key::jisKana, 104, 107},
    };
    for (const auto& row : telling) {
        EXPECT_EQ(row.key.rawValue(), row.code) << caseName(row.key).toStdString();
        EXPECT_EQ(all[std::size_t(row.position)], row.key) << caseName(row.key).toStdString();
    }
    EXPECT_EQ(Key::fromRawValue(55), std::nullopt);
    EXPECT_EQ(Key::fromRawValue(-1), std::nullopt);
}

TEST(KeyTest, StringLookupReturnsTheFirstMatchIgnoringCase)
{
    const struct
    {
        QString string;
        std::optional<Key> key;
    } rows[] = {
        {QStringLiteral("."), Key::period},
        {QStringLiteral("-"), Key::minus},
        {QStringLiteral("="), Key::equal},
        {QStringLiteral("0"), Key::zero},
        {QStringLiteral("7"), Key::seven},
        {QStringLiteral(","), Key::comma},
        {QStringLiteral("\n"), Key::keypadEnter},
        {QString::fromUcs4(U"\U0010FFEE"), Key::volumeUp},
        {QStringLiteral("F5"), Key::f5},
        {QStringLiteral("f5"), Key::f5},
        {QStringLiteral("A"), Key::a},
        {QStringLiteral("英数"), Key::jisEisu},
        {QStringLiteral("←"), Key::leftArrow},
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

TEST(KeyTest, ModifiersCarryTheirStringsAndEventFlagsInOrder)
{
    const QString privateUse = QString::fromUcs4(U"\U0010FFEE");
    const struct
    {
        Modifier modifier;
        QString name;
        QString string;
        quint64 flag;
    } rows[] = {
        {Modifier::capsLock, QStringLiteral("capsLock"), QStringLiteral("⇪"), 0x10000},
        {Modifier::command, QStringLiteral("command"), QStringLiteral("⌘"), 0x100000},
        {Modifier::control, QStringLiteral("control"), QStringLiteral("⌃"), 0x40000},
        {Modifier::function, QStringLiteral("function"), QStringLiteral("fn"), 0x800000},
        {Modifier::help, QStringLiteral("help"), privateUse, 0x400000},
        {Modifier::numPad, QStringLiteral("numPad"), privateUse, 0x200000},
        {Modifier::option, QStringLiteral("option"), QStringLiteral("⌥"), 0x80000},
        {Modifier::shift, QStringLiteral("shift"), QStringLiteral("⇧"), 0x20000},
    };
    ASSERT_EQ(Modifier::allCases().size(), std::size(rows));
    for (std::size_t index = 0; index < std::size(rows); ++index) {
        const auto& row = rows[index];
        EXPECT_EQ(Modifier::allCases()[index], row.modifier);
        EXPECT_EQ(caseName(row.modifier), row.name);
        EXPECT_EQ(row.modifier.stringValue(), row.string);
        EXPECT_EQ(row.modifier.eventFlag(), row.flag);
        EXPECT_EQ(Modifier::fromCaseName(row.name), row.modifier);
    }
    EXPECT_EQ(Modifier::fromCaseName(QStringLiteral("Command")), std::nullopt);
}

} // namespace
} // namespace quillora
