#include "ax/Application.h"
#include "WarningCapture.h"
#include "support/SimDesktopTest.h"

namespace quillora {
namespace {

class ApplicationTest : public SimDesktopTest
{
protected:
    SimAccessibility& ax() { return desktop().accessibility(); }
    SimWorkspace& workspace() { return desktop().workspace(); }

    static std::vector<qint64> pids(const std::vector<Application>& apps)
    {
        std::vector<qint64> result;
        for (const Application& app : apps) {
            result.push_back(app.pid());
        }
        return result;
    }
};

TEST_F(ApplicationTest, ListingAndLookupSkipProhibitedAndTerminatedApplications)
{
    const RunningApplication apps[] = {
        {10, QStringLiteral("com.example.regular"), {}, ActivationPolicy::Regular},
        {11, QStringLiteral("com.example.agent"), {}, ActivationPolicy::Accessory},
        {12, QStringLiteral("com.example.daemon"), {}, ActivationPolicy::Prohibited},
        {13, QStringLiteral("com.example.regular"), {}, ActivationPolicy::Regular, true},
        {14, std::nullopt, {}, ActivationPolicy::Regular},
        {15, QStringLiteral("com.example.regular"), {}, ActivationPolicy::Prohibited},
    };
    for (const RunningApplication& app : apps) {
        workspace().addApplication(app);
    }
    EXPECT_EQ(pids(Application::all()), (std::vector<qint64>{10, 11, 14}));

    const std::pair<const char*, std::vector<qint64>> byBundle[] = {
        {"com.example.regular", {10, 15}},
        {"com.example.Regular", {}},
        {"com.example.daemon", {12}},
        {"", {}},
    };
    for (const auto& [bundleID, expected] : byBundle) {
        EXPECT_EQ(pids(Application::allForBundleID(QString::fromLatin1(bundleID))), expected) << bundleID;
    }

    // Looking up a process gives none for unknown, terminated, exited or negative ones.
    workspace().addApplication({-3, QStringLiteral("b"), {}});
    EXPECT_TRUE(Application::forProcessID(10).has_value());
    for (const qint64 pid : {21, -3, 13}) {
        EXPECT_FALSE(Application::forProcessID(pid).has_value()) << pid;
    }
    workspace().removeApplication(10);
    EXPECT_FALSE(Application::forProcessID(10).has_value());
}

TEST_F(ApplicationTest, ObserverCreationGivesNoneForAGoneApplicationAndReportsOtherErrorsAndWindowsAreTheWindowChildren)
{
    test::WarningCapture warnings;
    const SimElement root = ax().addApplication(50);
    const Application app(root.ref());
    const auto ignore = [](Observer&, const UIElement&, AXNotification) {};
    EXPECT_NE(app.createObserver(ignore), nullptr);

    root.failAll(AXResult::CannotComplete);
    EXPECT_EQ(app.createObserver(ignore), nullptr);
    EXPECT_EQ(warnings.lines(),
              QStringList{QStringLiteral("Caught unexpected error creating observer: AXError.CannotComplete")});

    root.failAll(AXResult::Success);
    ax().removeApplication(50);
    EXPECT_EQ(app.createObserver(ignore), nullptr);
    EXPECT_EQ(warnings.lines().size(), 1);

    // An application's windows are its children with the window role.
    const SimElement other = ax().addApplication(30);
    const SimElement first = other.child(QStringLiteral("AXWindow"), {{"AXTitle", "One"}});
    other.child(QStringLiteral("AXMenuBar"));
    const SimElement second = other.child(QStringLiteral("AXWindow"), {{"AXTitle", "Two"}});
    const Application windowed(ax().createApplication(30));
    EXPECT_EQ(windowed.windows(), (std::vector<UIElement>{UIElement(first.ref()), UIElement(second.ref())}));

    other.set(QStringLiteral("AXWindows"), AXNull());
    EXPECT_EQ(windowed.windows(), std::nullopt);
    other.set(QStringLiteral("AXWindows"), AXAny("not a list"));
    EXPECT_THROW((void)windowed.windows(), AXError);
}

} // namespace
} // namespace quillora
