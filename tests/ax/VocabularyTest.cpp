#include "ax/AXNotification.h"
#include "ax/Action.h"
#include "ax/Attribute.h"
#include "ax/Orientation.h"
#include "ax/Role.h"
#include "ax/Subrole.h"
#include "support/QtPrinters.h"

#include <QSet>

#include <gtest/gtest.h>

namespace quillora {
namespace {

// Two cases sharing one raw value would make the second unreachable when a name is parsed back.
template <typename E> void expectCountAndDistinctRawValues(std::size_t expectedCount)
{
    QSet<QString> raws;
    for (E value : allCases<E>()) {
        raws.insert(rawValue(value));
    }
    EXPECT_EQ(static_cast<std::size_t>(raws.size()), expectedCount);
}

TEST(VocabularyTest, EachVocabularyHasItsNumberOfCasesAndNoTwoShareARawValue)
{
    expectCountAndDistinctRawValues<Attribute>(159);
    expectCountAndDistinctRawValues<Role>(56);
    expectCountAndDistinctRawValues<Subrole>(29);
    expectCountAndDistinctRawValues<AXNotification>(35);
    expectCountAndDistinctRawValues<Action>(11);
}

TEST(VocabularyTest, ParsingNeedsAnExactCaseSensitiveMatch)
{
    EXPECT_EQ(fromRawValue<Role>(QStringLiteral("AXWebArea")), Role::webArea);
    EXPECT_EQ(fromRawValue<Role>(QStringLiteral("AXUnknown")), Role::unknown);
    const char* misses[] = {"AXwebarea", "AXWebArea ", "WebArea", "", "AXSomethingNew", "AXUiElementDestroyed"};
    for (const char* raw : misses) {
        EXPECT_EQ(fromRawValue<Role>(QString::fromLatin1(raw)), std::nullopt) << raw;
        EXPECT_EQ(fromRawValue<AXNotification>(QString::fromLatin1(raw)), std::nullopt) << raw;
    }
    EXPECT_EQ(fromRawValue<Attribute>(QStringLiteral("AXBoundsForRangeParameterized")), std::nullopt);
    EXPECT_EQ(fromRawValue<Attribute>(QStringLiteral("AXMenuItemCmdChar")), std::nullopt);
    EXPECT_EQ(fromRawValue<Subrole>(QStringLiteral("AXSwitchSubrole")), std::nullopt);
}

TEST(VocabularyTest, OrientationHasThreeIntegerCases)
{
    const std::pair<long long, std::optional<Orientation>> cases[] = {
        {0, Orientation::unknown}, {1, Orientation::vertical}, {2, Orientation::horizontal},
        {3, std::nullopt},         {-1, std::nullopt},
    };
    for (const auto& [raw, expected] : cases) {
        EXPECT_EQ(orientationFromRawValue(raw), expected) << raw;
    }
}

} // namespace
} // namespace quillora
