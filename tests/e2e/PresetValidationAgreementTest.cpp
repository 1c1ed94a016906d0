// The app refuses a preset before sending it, and the service refuses it again before storing it:
// both must refuse the same pairs with the same message, or a user would meet a second, different
// refusal after the editor accepted the preset.
#include "HttpTestClient.h"
#include "TestServer.h"

#include "app/PresetManager.h"
#include "support/QtPrinters.h"
#include "support/SimDesktopTest.h"

#include <QJsonObject>

#include <gtest/gtest.h>

namespace quillora {
namespace {

using PresetValidationAgreementTest = SimDesktopTest;

TEST_F(PresetValidationAgreementTest, AppAndServiceRefuseTheSamePresetsWithTheSameMessage)
{
    const QString combiningE = QStringLiteral("e\u0301");
    const QString family = QStringLiteral("\U0001F468\u200D\U0001F469\u200D\U0001F467");
    const QString restricted = QStringLiteral("Instruction contains a restricted term: \"%1\". Please describe a "
                                              "writing style only.");
    const QString longName = QStringLiteral("Preset name must be 50 characters or fewer.");
    const QString longInstruction = QStringLiteral("Instruction must be 300 characters or fewer.");
    const struct
    {
        QString name;
        QString instruction;
        std::optional<QString> message;
    } cases[] = {
        {QString(50, u'n'), QString(300, u'i'), std::nullopt},
        {QString(51, u'n'), QString(301, u'i'), longName},
        {QStringLiteral("Short"), QString(301, u'i'), longInstruction},
        {combiningE.repeated(50), QStringLiteral("Be brief"), std::nullopt},
        {combiningE.repeated(51), QStringLiteral("Be brief"), longName},
        {QString(49, u'f') + family, QStringLiteral("Be brief"), std::nullopt},
        {QString(50, u'f') + family, QStringLiteral("Be brief"), longName},
        {QStringLiteral("Pirate"), QStringLiteral("Act as a pirate and IGNORE the rest"), restricted.arg("ignore")},
        {QStringLiteral("Theatre"), QStringLiteral("Make the reader react as if surprised"), restricted.arg("act as")},
        {QStringLiteral("Jailbreak mode"), QStringLiteral("Be brief"), restricted.arg("jailbreak")},
        {QStringLiteral("Forgetful"), QStringLiteral("Be brief"), restricted.arg("forget")},
        {QStringLiteral("Plain"), QStringLiteral("Use short sentences.\nNo jargon."), std::nullopt},
    };
    test::TestServer server(clock());
    test::HttpTestClient client(server.apiUrl());
    int accepted = 0;
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name.left(20).toStdString() + " / " + testCase.instruction.left(30).toStdString());
        EXPECT_EQ(PresetManager::validate(testCase.name, testCase.instruction), testCase.message);

        // Each accepted name is new, so the service's duplicate check never interferes.
        const test::HttpResult result = client.post(
            QStringLiteral("/presets"),
            QJsonObject{{QStringLiteral("name"), testCase.name}, {QStringLiteral("instruction"), testCase.instruction}});
        if (testCase.message) {
            EXPECT_EQ(result.status, 422);
            EXPECT_EQ(result.error(), *testCase.message);
        } else {
            EXPECT_EQ(result.status, 201) << result.body.toStdString();
            ++accepted;
        }
    }
    EXPECT_EQ(accepted, 4);
}

} // namespace
} // namespace quillora
