// The PRIMARY selection on the test desktop: its text is taken only when its owner changed after
// the gesture began, so a selection left from before is never used.
#include "platform/linux/x11/X11PrimarySelection.h"
#include "DesktopDriver.h"
#include "DesktopSession.h"
#include "DesktopTestEnvironment.h"

#include <gtest/gtest.h>

namespace quillora::test {
namespace {

// Another client takes PRIMARY with `text`, as a terminal does when the user selects in it.
void ownPrimary(DesktopSession& session, const QString& text)
{
    QProcess* owner = session.launch(QStringLiteral("xclip"), {QStringLiteral("-selection"), QStringLiteral("primary"),
                                                               QStringLiteral("-i"), QStringLiteral("-quiet")});
    ASSERT_NE(owner, nullptr);
    owner->write(text.toUtf8());
    owner->closeWriteChannel();
    ASSERT_TRUE(waitFor(
        [&] {
            return session.run(QStringLiteral("xclip"), {QStringLiteral("-o"), QStringLiteral("-selection"),
                                                         QStringLiteral("primary")}) == text.toUtf8();
        },
        5000));
}

void pressAndRelease(DesktopDriver& driver)
{
    driver.click(QPoint(1500, 900));
}

TEST(X11PrimarySelectionTest, OnlyAnOwnerChangeAfterTheGestureBeganIsRead)
{
    DesktopSession& session = DesktopTestEnvironment::session();
    DesktopDriver driver(session);
    X11PrimarySelection primary;
    EXPECT_EQ(primary.textChangedDuringGesture(), std::nullopt) << "before any gesture";

    ownPrimary(session, QStringLiteral("left over from an earlier selection"));
    pressAndRelease(driver);
    primary.beginGesture();
    EXPECT_EQ(primary.textChangedDuringGesture(), std::nullopt) << "a stale selection was used";

    ownPrimary(session, QStringLiteral("selected during the gesture – ünïcode"));
    EXPECT_EQ(primary.textChangedDuringGesture(), QStringLiteral("selected during the gesture – ünïcode"));

    // The next gesture starts afresh: the same selection is stale for it.
    pressAndRelease(driver);
    primary.beginGesture();
    EXPECT_EQ(primary.textChangedDuringGesture(), std::nullopt);

    // Reading never takes PRIMARY: its owner is still the other client.
    ownPrimary(session, QStringLiteral("still theirs"));
    EXPECT_EQ(primary.textChangedDuringGesture(), QStringLiteral("still theirs"));
    EXPECT_EQ(session.run(QStringLiteral("xclip"),
                          {QStringLiteral("-o"), QStringLiteral("-selection"), QStringLiteral("primary")}),
              QByteArray("still theirs"));
}

} // namespace
} // namespace quillora::test
