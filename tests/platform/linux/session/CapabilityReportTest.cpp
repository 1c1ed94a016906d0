#include "platform/linux/session/CapabilityReport.h"
#include "platform/linux/session/SessionInfo.h"

#include <gtest/gtest.h>

namespace quillora {
namespace {

SessionInfo wayland(CompositorKind compositor)
{
    SessionInfo info;
    info.kind = SessionKind::Wayland;
    info.compositor = compositor;
    info.waylandAnswers = true;
    info.xwayland = true;
    info.accessibilityBus = true;
    info.swayIpc = compositor == CompositorKind::Sway;
    info.kwinScripting = compositor == CompositorKind::KWin;
    return info;
}

SessionInfo with(SessionInfo info, const std::function<void(SessionInfo&)>& change)
{
    change(info);
    return info;
}

// The three rows' availability, as "icon placed pastes" with 1 for available.
std::string availability(const DesktopCapabilities& capabilities)
{
    std::string flags;
    for (const DesktopCapability& item : capabilities.items) {
        flags += flags.empty() ? "" : " ";
        flags += item.available ? '1' : '0';
    }
    return flags;
}

TEST(CapabilityReportTest, EachRowNeedsWhatItsWayOfWorkingNeeds)
{
    SessionInfo x11;
    x11.kind = SessionKind::X11;
    const SessionInfo sway = wayland(CompositorKind::Sway);
    const SessionInfo kwin = wayland(CompositorKind::KWin);
    const struct
    {
        const char* name;
        SessionInfo info;
        std::string availability;
    } rows[] = {
        {"X11", x11, "1 1 1"},
        {"no session", SessionInfo{}, "0 0 0"},
        {"Wayland not answering", with(sway, [](SessionInfo& i) { i.waylandAnswers = false; }), "0 0 0"},
        {"sway", sway, "1 1 1"},
        {"sway without Xwayland", with(sway, [](SessionInfo& i) { i.xwayland = false; }), "0 0 1"},
        {"sway without IPC", with(sway, [](SessionInfo& i) { i.swayIpc = false; }), "1 0 1"},
        {"sway without accessibility", with(sway, [](SessionInfo& i) { i.accessibilityBus = false; }), "0 1 0"},
        {"KWin", kwin, "1 1 1"},
        {"KWin without scripting", with(kwin, [](SessionInfo& i) { i.kwinScripting = false; }), "1 0 1"},
        {"KWin without accessibility", with(kwin, [](SessionInfo& i) { i.accessibilityBus = false; }), "0 1 0"},
        {"KWin with fake input, without accessibility",
         with(kwin,
              [](SessionInfo& i) {
                  i.accessibilityBus = false;
                  i.waylandGlobals = {WaylandGlobal::kdeFakeInput};
              }),
         "0 1 1"},
        // sway's IPC does not make another compositor's windows placeable.
        {"GNOME", with(wayland(CompositorKind::GnomeShell), [](SessionInfo& i) { i.swayIpc = true; }), "1 0 1"},
        {"GNOME with the extension",
         with(wayland(CompositorKind::GnomeShell), [](SessionInfo& i) { i.shellCompanion = true; }), "1 1 1"},
        {"other", wayland(CompositorKind::Other), "1 0 1"},
    };
    for (const auto& row : rows) {
        const DesktopCapabilities capabilities = describeCapabilities(row.info);
        ASSERT_EQ(capabilities.items.size(), 3) << row.name;
        EXPECT_EQ(availability(capabilities), row.availability) << row.name;
        for (const DesktopCapability& item : capabilities.items) {
            EXPECT_FALSE(item.detail.isEmpty()) << row.name << ": " << item.name.toStdString();
        }
    }
}

TEST(CapabilityReportTest, WithoutItsExtensionGnomeSaysHowToEnableIt)
{
    const auto detail = [](const SessionInfo& info, int row) {
        return describeCapabilities(info).items.at(row).detail;
    };
    const SessionInfo gnome = wayland(CompositorKind::GnomeShell);
    for (const int row : {1, 2}) {
        EXPECT_TRUE(
            detail(gnome, row).contains(QLatin1String("gnome-extensions enable quillora-companion@tessel.com")));
        EXPECT_FALSE(detail(with(gnome, [](SessionInfo& i) { i.shellCompanion = true; }), row)
                         .contains(QLatin1String("gnome-extensions")));
    }
}

} // namespace
} // namespace quillora
