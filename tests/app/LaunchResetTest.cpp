#include "app/LaunchReset.h"
#include "support/FileContent.h"
#include "support/SimDesktopTest.h"

#include <QDir>

namespace quillora {
namespace {

using LaunchResetTest = SimDesktopTest;

TEST_F(LaunchResetTest, OnlyTheWholeArgumentAsksForAWipe)
{
    struct Case
    {
        QStringList arguments;
        bool requested;
    };
    const QList<Case> cases = {
        {{QStringLiteral("quillora"), QStringLiteral("--uitesting")}, true},
        {{QStringLiteral("quillora"), QStringLiteral("-x"), QStringLiteral("--uitesting")}, true},
        {{QStringLiteral("quillora"), QStringLiteral("--uitesting=1")}, false},
        {{QStringLiteral("quillora"), QStringLiteral("x--uitesting")}, false},
        {{QStringLiteral("quillora")}, false},
    };
    for (const Case& testCase : cases) {
        EXPECT_EQ(LaunchReset::isRequested(testCase.arguments), testCase.requested)
            << testCase.arguments.join(u' ').toStdString();
    }
}

TEST_F(LaunchResetTest, WipeRemovesEveryDefaultAndTheAppFolderAndToleratesAMissingFolder)
{
    desktop().userDefaults().set(QStringLiteral("isTrackingEnabled"), false);
    desktop().userDefaults().set(QStringLiteral("com.tessel.quillora.presets"), QByteArray("[]"));
    const QDir root(desktop().appDataFolder().path());
    ASSERT_TRUE(test::writeFile(root.filePath(QStringLiteral("com.tessel.quillora/history.json")), "[]"));
    ASSERT_TRUE(root.mkpath(QStringLiteral("other")));

    LaunchReset::wipeStoredState(desktop().userDefaults(), desktop().appDataFolder());
    EXPECT_FALSE(desktop().userDefaults().contains(QStringLiteral("isTrackingEnabled")));
    EXPECT_FALSE(desktop().userDefaults().contains(QStringLiteral("com.tessel.quillora.presets")));
    EXPECT_FALSE(root.exists(QStringLiteral("com.tessel.quillora")));
    EXPECT_TRUE(root.exists(QStringLiteral("other")));

    LaunchReset::wipeStoredState(desktop().userDefaults(), desktop().appDataFolder());
    EXPECT_FALSE(root.exists(QStringLiteral("com.tessel.quillora")));
}

} // namespace
} // namespace quillora
