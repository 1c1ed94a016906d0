#include "capture/SystemMenuItem.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace quillora {
namespace {

TEST(SystemMenuItemTest, EachCommandHasItsIdentifierShortcutAndTitleSet)
{
    struct Case
    {
        SystemMenuItem item;
        const char* name;
        const char* identifier;
        const char* shortcut;
        int distinctTitles;
        const char* someTitles[3];
    };
    const Case cases[] = {
        {SystemMenuItem::copy, "copy", "copy:", "C", 35, {"Copy", "コピー", "کپی"}},
        {SystemMenuItem::paste, "paste", "paste:", "V", 36, {"Paste", "Уметни", "Умеитни"}},
        // Two Chinese titles are listed twice for Cut.
        {SystemMenuItem::cut, "cut", "cut:", "X", 33, {"Cut", "剪下", "برش"}},
        {SystemMenuItem::selectAll, "selectAll", "selectAll:", "A", 35, {"Select All", "모두 선택", "انتخاب همه"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(caseName(c.item), QString::fromLatin1(c.name));
        EXPECT_EQ(rawValue(c.item), QString::fromLatin1(c.identifier));
        EXPECT_EQ(shortcutChar(c.item), QString::fromLatin1(c.shortcut));
        EXPECT_EQ(localizedTitles(c.item).size(), c.distinctTitles) << c.name;
        for (const char* title : c.someTitles) {
            EXPECT_TRUE(matchesTitle(c.item, QString::fromUtf8(title))) << title;
        }
    }
}

TEST(SystemMenuItemTest, TitleMatchingIsExactMembership)
{
    const std::pair<std::optional<QString>, bool> cases[] = {
        {QStringLiteral("Copy"), true},
        {QStringLiteral("Kopieren"), true},
        {QStringLiteral("copy"), false},
        {QStringLiteral("Copy…"), false},
        {QStringLiteral("Copy "), false},
        {QStringLiteral("Paste"), false},
        {QString(), false},
        {std::nullopt, false},
    };
    for (const auto& [title, matches] : cases) {
        EXPECT_EQ(matchesTitle(SystemMenuItem::copy, title), matches)
            << title.value_or(QStringLiteral("<none>")).toStdString();
    }
}

} // namespace
} // namespace quillora
