// The permission gate's view of the test desktop: trust follows the accessibility switch, and
// "Turn On Accessibility" switches it on and names the applications that must be restarted.
#include "DesktopDriver.h"
#include "DesktopSession.h"
#include "DesktopTestEnvironment.h"
#include "platform/linux/QtScreens.h"
#include "platform/linux/atspi/LinuxAccessibility.h"
#include "platform/linux/x11/X11Workspace.h"

#include <gtest/gtest.h>

namespace quillora::test {
namespace {

void setAccessibility(DesktopSession& session, bool enabled)
{
    session.run(QStringLiteral("dbus-send"),
                {QStringLiteral("--session"), QStringLiteral("--print-reply"), QStringLiteral("--dest=org.a11y.Bus"),
                 QStringLiteral("/org/a11y/bus"), QStringLiteral("org.freedesktop.DBus.Properties.Set"),
                 QStringLiteral("string:org.a11y.Status"), QStringLiteral("string:IsEnabled"),
                 QStringLiteral("variant:boolean:") + (enabled ? QStringLiteral("true") : QStringLiteral("false"))});
}

TEST(LinuxAccessibilitySessionTest, OpenSettingsSwitchesAccessibilityOnAndNamesApplicationsToRestart)
{
    DesktopSession& session = DesktopTestEnvironment::session();
    DesktopDriver driver(session);
    // xterm never joins the accessibility bus: it is the application to restart (to no avail).
    QProcess* terminal = session.launch(QStringLiteral("xterm"), {QStringLiteral("-e"), QStringLiteral("sleep 60")});
    ASSERT_NE(terminal, nullptr);
    ASSERT_TRUE(driver.waitForWindow(terminal->processId(), QString(), 10000));

    QtScreens screens;
    X11Workspace workspace;
    LinuxAccessibility accessibility(workspace, screens, [] { return std::optional<QString>(); });
    EXPECT_TRUE(accessibility.isProcessTrusted(TrustPrompt::Silent));
    // What the session lacks besides accessibility keeps the gate closed, and the button says why.
    const QString missing = QStringLiteral("no way to post keys here");
    LinuxAccessibility lacking(workspace, screens, [missing] { return std::optional<QString>(missing); });
    EXPECT_FALSE(lacking.isProcessTrusted(TrustPrompt::Silent));
    EXPECT_EQ(lacking.openAccessibilitySettings(), missing);
    // Switched off by another program: the launcher's announcement reaches the cached answer.
    setAccessibility(session, false);
    EXPECT_TRUE(waitFor([&] { return !accessibility.isProcessTrusted(TrustPrompt::Prompt); }, 3000));

    const QString message = accessibility.openAccessibilitySettings();
    EXPECT_TRUE(accessibility.isProcessTrusted(TrustPrompt::Silent));
    EXPECT_TRUE(message.startsWith(QStringLiteral("Restart these applications"))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("XTerm"))) << message.toStdString();
    terminal->terminate();
    terminal->waitForFinished(3000);
}

} // namespace
} // namespace quillora::test
