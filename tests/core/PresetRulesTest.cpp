#include "core/PresetRules.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace quillora {
namespace {

TEST(PresetRulesTest, BuiltInPresetsAreTheFourInOrder)
{
    const QList<PresetText>& presets = PresetRules::builtInPresets();
    ASSERT_EQ(presets.size(), 4);
    EXPECT_EQ(presets.at(0).name, QStringLiteral("Professional"));
    EXPECT_EQ(presets.at(1).instruction,
              QStringLiteral("Rewrite to sound casual, warm, and natural for a conversation between friends."));
    EXPECT_EQ(presets.at(2).name, QStringLiteral("Fix Grammar"));
    EXPECT_EQ(presets.at(3).name, QStringLiteral("Concise"));
    for (const PresetText& preset : presets) {
        EXPECT_FALSE(PresetRules::validate(preset.name, preset.instruction).has_value()) << preset.name.toStdString();
    }
}

} // namespace
} // namespace quillora
