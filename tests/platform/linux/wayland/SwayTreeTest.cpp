#include "platform/linux/wayland/SwayTree.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace quillora {
namespace {

// A view as sway describes it; `extra` adds keys such as the X11 window properties.
QByteArray view(int id, bool focused, const char* rect, const char* windowRect,
                const char* extra = R"("app_id": "gedit")")
{
    return R"({"id": )" + QByteArray::number(id) + R"(, "type": "con", "focused": )" + (focused ? "true" : "false") +
           R"(, "rect": )" + rect + R"(, "window_rect": )" + windowRect + R"(, "pid": )" +
           QByteArray::number(1000 + id) + ", " + extra + R"(, "nodes": [], "floating_nodes": []})";
}

QByteArray tree(const QByteArray& workspaceNodes, const QByteArray& floating = {}, bool workspaceFocused = false,
                const QByteArray& workspaceFocus = "[]")
{
    return R"({"id": 1, "type": "root", "focused": false, "nodes": [
                 {"id": 2, "type": "output", "name": "__i3", "focused": false, "nodes": [
                   {"id": 3, "type": "workspace", "name": "__i3_scratch", "focused": false, "nodes": [],
                    "floating_nodes": []}]},
                 {"id": 4, "type": "output", "name": "HEADLESS-1", "focused": false, "nodes": [
                   {"id": 5, "type": "workspace", "name": "1", "focused": )" +
           QByteArray(workspaceFocused ? "true" : "false") + R"(, "focus": )" + workspaceFocus +
           R"(, "rect": {"x": 0, "y": 0, "width": 1920, "height": 1080},
                    "nodes": [)" +
           workspaceNodes + R"(], "floating_nodes": [)" + floating + R"(]}]}]})";
}

const char* kTitledRect = R"({"x": 960, "y": 25, "width": 960, "height": 1055})";
const char* kTitledSurface = R"({"x": 3, "y": 0, "width": 954, "height": 1052})";
const char* kPlainRect = R"({"x": 0, "y": 0, "width": 960, "height": 1080})";
const char* kPlainSurface = R"({"x": 0, "y": 0, "width": 960, "height": 1080})";

TEST(SwayTreeTest, TheFocusedViewIsItsClientSurfaceOnScreen)
{
    const QByteArray twoTiled = tree(view(10, false, kPlainRect, kPlainSurface) + "," +
                                     view(11, true, kTitledRect, kTitledSurface, R"("app_id": "org.kde.kate")"));
    const std::optional<ForeignWindow> tiled = SwayTree::focusedWindow(twoTiled);
    ASSERT_TRUE(tiled);
    // The title bar lies above `rect`; the border shifts the surface inside it.
    EXPECT_EQ(tiled->frame, QRectF(963, 25, 954, 1052));
    EXPECT_EQ(tiled->pid, 1011);
    EXPECT_EQ(tiled->appId, QStringLiteral("org.kde.kate"));

    QByteArray floating = view(20, true, R"({"x": 100, "y": 175, "width": 606, "height": 403})",
                               R"({"x": 3, "y": 0, "width": 600, "height": 400})",
                               R"("app_id": null, "window": 4194307, "window_properties": {"class": "XTerm"})");
    const std::optional<ForeignWindow> xwayland = SwayTree::focusedWindow(
        tree(view(10, false, kPlainRect, kPlainSurface), floating.replace("\"con\"", "\"floating_con\"")));
    ASSERT_TRUE(xwayland);
    EXPECT_EQ(xwayland->frame, QRectF(103, 175, 600, 400));
    EXPECT_EQ(xwayland->appId, QStringLiteral("XTerm"));

    // A view that tells no surface keeps its container's rectangle; one without pid says so.
    const QByteArray bare = R"({"id": 30, "type": "con", "focused": true, "nodes": [],
                                "rect": {"x": 5, "y": 6, "width": 70, "height": 80}})";
    const std::optional<ForeignWindow> minimal = SwayTree::focusedWindow(tree(bare));
    ASSERT_TRUE(minimal);
    EXPECT_EQ(*minimal, (ForeignWindow{QRectF(5, 6, 70, 80), -1, QString()}));
}

TEST(SwayTreeTest, AFocusedContainerLeadsToItsLastFocusedView)
{
    const QByteArray split = R"({"id": 40, "type": "con", "focused": true, "focus": [42, 41],
                                 "rect": {"x": 0, "y": 0, "width": 1920, "height": 1080}, "nodes": [)" +
                             view(41, false, kPlainRect, kPlainSurface) + "," +
                             view(42, false, kTitledRect, kTitledSurface) + "]}";
    const std::optional<ForeignWindow> window = SwayTree::focusedWindow(tree(split));
    ASSERT_TRUE(window);
    EXPECT_EQ(window->pid, 1042);

    const QByteArray dangling = QByteArray(split).replace("[42, 41]", "[99]");
    EXPECT_EQ(SwayTree::focusedWindow(tree(dangling)), std::nullopt);
}

TEST(SwayTreeTest, NoViewInFocusOrAnUnreadableReplyGivesNone)
{
    // An empty workspace has the focus.
    EXPECT_EQ(SwayTree::focusedWindow(tree({}, {}, true)), std::nullopt);
    // A focused workspace leads to the view it focused last, or to none.
    EXPECT_EQ(SwayTree::focusedWindow(tree(view(10, false, kPlainRect, kPlainSurface), {}, true, "[10]"))->pid, 1010);
    EXPECT_EQ(SwayTree::focusedWindow(tree(view(10, false, kPlainRect, kPlainSurface))), std::nullopt);
    for (const QByteArray& broken : {QByteArray(), QByteArray("[]"), QByteArray("{\"nodes\": 3"), QByteArray("null")}) {
        EXPECT_EQ(SwayTree::focusedWindow(broken), std::nullopt) << broken.constData();
    }
}

} // namespace
} // namespace quillora
