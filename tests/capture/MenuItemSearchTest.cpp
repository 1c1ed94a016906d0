#include "capture/MenuItemSearch.h"
#include "DiagnosticLogTest.h"
#include "MenuBarBuilder.h"
#include "capture/ElementAccessors.h"

namespace quillora {
namespace {

constexpr qint64 kPid = 70;

class MenuItemSearchTest : public DiagnosticLogTest
{
protected:
    SimElement app() { return ax().addApplication(kPid); }

    // A menu bar of `count` menus, each with two items that match nothing.
    SimElement menuBar(int count)
    {
        QStringList titles;
        for (int i = 0; i < count; ++i) {
            titles << QStringLiteral("Menu %1").arg(i);
        }
        const SimElement bar = test::addMenuBar(app(), titles);
        for (int i = 0; i < count; ++i) {
            test::addItem(test::menuAt(bar, i), {QStringLiteral("Item"), QStringLiteral("item%1").arg(i)});
            test::addItem(test::menuAt(bar, i), {QStringLiteral("Other"), std::nullopt, QStringLiteral("C")});
        }
        return bar;
    }
};

TEST_F(MenuItemSearchTest, ItemsMatchByIdentifierElseByShortcutAndTitle)
{
    struct Case
    {
        const char* name;
        SystemMenuItem item;
        test::MenuItem spec;
        const char* logLine; // null: no match
    };
    const auto text = [](const char* value) { return std::optional<QString>(QString::fromUtf8(value)); };
    const Case cases[] = {
        {"identifier in any language", SystemMenuItem::copy, test::MenuItem{"Kopírovat", text("copy:")},
         "Found copy item by identifier: copy:"},
        {"title without identifier", SystemMenuItem::copy, test::MenuItem{"Kopieren", std::nullopt, text("C")},
         nullptr},
        {"title with another identifier", SystemMenuItem::copy, test::MenuItem{"Kopieren", text("menu-7"), text("C")},
         "Found copy title item in menu: Kopieren, identifier: menu-7"},
        {"lower-case shortcut", SystemMenuItem::copy, test::MenuItem{"Copy", text("menu-7"), text("c")}, nullptr},
        {"no shortcut", SystemMenuItem::copy, test::MenuItem{"Copy", text("menu-7")}, nullptr},
        {"title with ellipsis", SystemMenuItem::copy, test::MenuItem{"Copy…", text("menu-7"), text("C")}, nullptr},
        {"title in other case", SystemMenuItem::copy, test::MenuItem{"copy", text("menu-7"), text("C")}, nullptr},
        {"title of another command", SystemMenuItem::copy, test::MenuItem{"Paste", text("menu-7"), text("C")}, nullptr},
        {"identifier of another command", SystemMenuItem::copy, test::MenuItem{"Paste", text("paste:"), text("V")},
         nullptr},
        {"cut by repeated title", SystemMenuItem::cut, test::MenuItem{"剪下", text("m"), text("X")},
         "Found cut title item in menu: 剪下, identifier: m"},
        {"select all by title", SystemMenuItem::selectAll, test::MenuItem{"Tout sélectionner", text("m"), text("A")},
         "Found selectAll title item in menu: Tout sélectionner, identifier: m"},
        {"paste by identifier", SystemMenuItem::paste, test::MenuItem{"x", text("paste:")},
         "Found paste item by identifier: paste:"},
    };
    const SimElement menu = app().child(QStringLiteral("AXMenu"));
    for (const Case& c : cases) {
        desktop().systemLog().clear();
        const SimElement element = test::addItem(menu, c.spec);
        EXPECT_EQ(capture::findMenuItemInElement(UIElement(element.ref()), c.item), c.logLine != nullptr) << c.name;
        EXPECT_EQ(log(), c.logLine ? QStringList{QString::fromUtf8(c.logLine)} : QStringList()) << c.name;
    }

    // A failed identifier read counts as no identifier.
    const SimElement failing = test::addItem(menu, {QStringLiteral("Copy"), text("m"), text("C")});
    failing.failAttribute(QStringLiteral("AXIdentifier"), AXResult::CannotComplete);
    EXPECT_FALSE(capture::findMenuItemInElement(UIElement(failing.ref()), SystemMenuItem::copy));
    EXPECT_FALSE(capture::isCopyIdentifier(UIElement(failing.ref())));
    EXPECT_TRUE(capture::isCopyTitle(UIElement(failing.ref())));
}

TEST_F(MenuItemSearchTest, MenusAreSearchedFromTheEditMenuOutwardThenTheWholeBar)
{
    const std::pair<int, std::vector<int>> orders[] = {
        {0, {}},
        {3, {}},
        {4, {3, 2, 1, 0}},
        {5, {3, 2, 4, 1, 0}},
        {7, {3, 2, 4, 1, 5, 0, 6}},
        {10, {3, 2, 4, 1, 5, 0, 6, 7, 8, 9}},
    };
    for (const auto& [count, order] : orders) {
        EXPECT_EQ(capture::menuSearchOrder(count), order) << count;
        ax().removeApplication(kPid);
        desktop().systemLog().clear();
        menuBar(count);
        EXPECT_EQ(capture::findCopyMenuItem(UIElement(ax().createApplication(kPid))), std::nullopt);
        QStringList lines;
        for (const int index : order) {
            lines << (lines.isEmpty() ? QStringLiteral("Checking the Edit menu for copy, index: %1")
                                      : QStringLiteral("Checking menu at index %1 for copy"))
                         .arg(index);
        }
        EXPECT_EQ(log(), lines << QStringLiteral("copy not found in adjacent menus, searching entire menu")) << count;
    }
}

TEST_F(MenuItemSearchTest, MissingMenusAndReadErrorsGiveNoneWithALogLine)
{
    const UIElement application(ax().createApplication(kPid));
    app();
    EXPECT_EQ(capture::findCopyMenuItem(application), std::nullopt);
    EXPECT_EQ(log(), QStringList{QStringLiteral("Menu children not found")});

    desktop().systemLog().clear();
    const SimElement bar = menuBar(5);
    test::menuAt(bar, 3).failAttribute(QStringLiteral("AXChildren"), AXResult::CannotComplete);
    EXPECT_EQ(capture::findCopyMenuItem(application), std::nullopt);
    EXPECT_EQ(log(), (QStringList{QStringLiteral("Checking the Edit menu for copy, index: 3"),
                                  QStringLiteral("Error finding menu item copy: AXError.CannotComplete")}));
}

TEST_F(MenuItemSearchTest, DeepFirstVisitsInPreOrderAndStopsAtTheFirstHit)
{
    const SimElement root = app().child(QStringLiteral("AXGroup"), {{"AXTitle", "a"}});
    const SimElement b = root.child(QStringLiteral("AXGroup"), {{"AXTitle", "b"}});
    b.child(QStringLiteral("AXGroup"), {{"AXTitle", "c"}});
    root.child(QStringLiteral("AXGroup"), {{"AXTitle", "d"}});
    root.child(QStringLiteral("AXGroup"), {{"AXTitle", "e"}});

    QStringList visited;
    const auto hit = capture::deepFirst(UIElement(root.ref()), [&](const UIElement& element) {
        visited << capture::title(element).value_or(QString());
        return visited.last() == QLatin1String("d");
    });
    EXPECT_EQ(visited, (QStringList{"a", "b", "c", "d"}));
    ASSERT_TRUE(hit.has_value());
    EXPECT_EQ(capture::title(*hit), QStringLiteral("d"));
}

} // namespace
} // namespace quillora
