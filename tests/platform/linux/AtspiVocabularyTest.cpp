#include "platform/linux/atspi/AtspiVocabulary.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace quillora {
namespace {

TEST(AtspiVocabularyTest, TheCommandCharacterIsTheKeyHeldWithControlInGtkAndQtBindings)
{
    const struct
    {
        const char* bindings;
        std::optional<QString> character;
    } rows[] = {
        {"c;<Alt>e:c;<Primary>c", QStringLiteral("C")}, // GTK: mnemonic; menu path; accelerator
        {"Ctrl+C", QStringLiteral("C")},                // Qt
        {"ctrl+v", QStringLiteral("V")},
        {"<Control>x", QStringLiteral("X")},
        {"<Primary><Shift>z", QStringLiteral("Z")},
        {"Ctrl+Shift+A", QStringLiteral("A")},
        {"Ctrl++", QStringLiteral("+")},
        {"p;<Alt>f:p", std::nullopt}, // a mnemonic and a menu path, no accelerator
        {"<Alt>F4", std::nullopt},
        {"Ctrl+F10", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(AtspiVocabulary::commandCharacter(QString::fromUtf8(row.bindings)), row.character) << row.bindings;
    }
}

TEST(AtspiVocabularyTest, EventsMatchTheirNotificationsAndLosingFocusIsNoFocusChange)
{
    const struct
    {
        const char* notification;
        const char* event;
        int detail1;
        bool matches;
    } rows[] = {
        {"AXFocusedUIElementChanged", "object:state-changed:focused", 1, true},
        {"AXFocusedUIElementChanged", "object:state-changed:focused", 0, false},
        {"AXValueChanged", "object:text-changed:insert", 0, true},
        {"AXValueChanged", "object:text-changed:delete:system", 0, true},
        {"AXValueChanged", "object:text-changed", 0, false},
        {"AXSelectedTextChanged", "object:text-selection-changed", 0, true},
        {"AXApplicationActivated", "window:activate", 0, true},
        {"AXApplicationActivated", "window:deactivate", 0, false},
        {"AXTitleChanged", "object:property-change:accessible-name", 0, true},
        {"AXRowExpanded", "object:state-changed:expanded", 1, false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(AtspiVocabulary::eventMatches(QString::fromUtf8(row.notification), QString::fromUtf8(row.event),
                                                row.detail1),
                  row.matches)
            << row.notification << " / " << row.event;
    }
}

} // namespace
} // namespace quillora
