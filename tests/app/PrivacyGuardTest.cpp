// What must stay private is never read: a password field and an excluded application show no
// icon, post no copy shortcut and send nothing, by a drag or by the shortcut alike.
#include "TrackerFixture.h"

#include "app/PrivacyGuard.h"

namespace quillora {
namespace {

class PrivacyGuardTest : public TrackerFixture
{
};

TEST_F(PrivacyGuardTest, APasswordFieldIsNeverReadByADragOrARequest)
{
    editor().setSecureField();
    selectInEditor(QStringLiteral("correct horse battery staple"));
    tracker().startTracking();

    dragAndSettle({100, 500}, {300, 500});
    EXPECT_FALSE(panels().icon->isOnScreen());
    EXPECT_EQ(editor().copies(), 0) << "not even the copy shortcut is tried";
    EXPECT_TRUE(tracker().lastCapturedText().isEmpty());

    tracker().polishCurrentSelection();
    advance(SelectionTracker::requestRetryDelay);
    ASSERT_TRUE(test::drive(clock(), [this] { return !panels().results->updates.isEmpty(); }));
    EXPECT_TRUE(panels().results->updates.last().error->contains(QLatin1String("password field")));
    EXPECT_FALSE(tracker().isPolishing());
    EXPECT_EQ(editor().copies(), 0);
}

TEST_F(PrivacyGuardTest, AnExcludedApplicationIsLeftAloneUntilTheUserAllowsIt)
{
    SimApp& keys = desktop().addApp(
        SimAppSetup{QStringLiteral("Password Vault"), QStringLiteral("org.example.PasswordVault"), {}, {}, true});
    const QString text = QStringLiteral("a note kept in the vault");
    keys.setText(text, AXRange{0, text.size()});
    PrivacyGuard guard(desktop().userDefaults(), desktop().workspace());
    // Matched by the identifier's last part, whatever the case.
    guard.setExcludedApplications({QStringLiteral(" passwordvault "), QString(), QStringLiteral("PasswordVault")});
    EXPECT_EQ(guard.excludedApplications(), QStringList{QStringLiteral("passwordvault")});
    tracker().startTracking();

    dragAndSettle({100, 500}, {300, 500});
    EXPECT_FALSE(panels().icon->isOnScreen());
    EXPECT_EQ(keys.copies(), 0);

    guard.setExcludedApplications({});
    dragAndSettle({100, 500}, {310, 500});
    EXPECT_TRUE(panels().icon->isOnScreen());
    EXPECT_EQ(tracker().lastCapturedText(), text);
    EXPECT_TRUE(PrivacyGuard(desktop().userDefaults(), desktop().workspace()).excludedApplications().isEmpty())
        << "an emptied list stays empty instead of coming back as the default";
}

} // namespace
} // namespace quillora
