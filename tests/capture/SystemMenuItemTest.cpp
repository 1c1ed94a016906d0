#include "capture/SystemMenuItem.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace quillora {
namespace {

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
