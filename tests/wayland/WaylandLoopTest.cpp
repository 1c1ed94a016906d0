// The whole loop on a headless Wayland compositor: the reference service, the desktop program on
// Xwayland, and a GTK 3 and a Qt 6 editor running natively on Wayland. A drag selects a line, the
// icon appears by the selection's end, resting on it and clicking it opens the results without
// taking focus from the editor, and "Use" replaces the line with the first variation, read back
// through AT-SPI.
#include "WaylandLoopFixture.h"

#include <QLineF>

namespace quillora::test {
namespace {

// How far from the selection's end the icon's centre may be.
constexpr double kIconReach = 120;

/** What the results panel offers on its first card. */
struct FirstCard
{
    QString variation;
    QRect useButton;
};

class WaylandLoopTest : public WaylandLoopFixture
{
protected:
    /** Reads the first card of the results panel; false while it has no variation or still moves. */
    static bool readFirstCard(FirstCard& card)
    {
        card = FirstCard();
        const std::optional<Accessible> use = accessibility().find(s_programPid, [](const Accessible& element) {
            return accessibility().roleName(element) == QLatin1String("push button") &&
                   accessibility().name(element) == QLatin1String("Use");
        });
        const std::optional<Accessible> frame = use ? accessibility().parent(*use) : std::nullopt;
        const std::optional<QRect> before = use ? accessibility().extents(*use) : std::nullopt;
        if (!frame || !before) {
            return false;
        }
        // The variation is the card's longest text; the preset's name above it is in capitals.
        for (const Accessible& child : accessibility().children(*frame)) {
            const QString name = accessibility().name(child);
            if (name.size() > card.variation.size() && name != name.toUpper()) {
                card.variation = name;
            }
        }
        pause(150);
        card.useButton = *before;
        return !card.variation.isEmpty() && accessibility().extents(*use) == before;
    }

    /** How the results are asked for: a click on the icon, or a second start with "--polish-selection". */
    enum class Trigger { icon, polishCommand };

    void useFirstVariationIn(Toolkit toolkit, Trigger trigger = Trigger::icon)
    {
        const std::optional<Editor> editor = startEditor(toolkit);
        ASSERT_TRUE(editor);
        const std::optional<QPoint> end = selectSecondLine(*editor);
        ASSERT_TRUE(end);
        if (trigger == Trigger::polishCommand) {
            const QString program = programPath("QUILLORA_DESKTOP_PROGRAM", QUILLORA_DESKTOP_PROGRAM);
            QProcess* second = session().launch(program, {QStringLiteral("--polish-selection")});
            ASSERT_NE(second, nullptr);
            EXPECT_TRUE(second->waitForFinished(10000)) << "the second start did not hand the request over";
            std::optional<XWindow> results;
            EXPECT_TRUE(
                waitFor([&] { return (results = floatingWindow(QStringLiteral("results"))).has_value(); }, 5000))
                << "the results panel did not open; the program shows " << xWindowsOfProgram();
            if (results) {
                EXPECT_LE(QLineF(results->geometry.topLeft(), *end).length(), 2 * kIconReach)
                    << "the results panel is not beside the selection";
            }
            expectFocusIn(*editor);
            useFirstCard(*editor);
            return;
        }

        std::optional<XWindow> icon;
        waitFor([&] { return (icon = floatingWindow(QStringLiteral("floatingIcon"))).has_value(); }, 5000);
        ASSERT_TRUE(icon) << "no icon appeared after the drag; the program shows " << xWindowsOfProgram();
        EXPECT_LE(QLineF(icon->geometry.center(), *end).length(), kIconReach)
            << "the icon's centre is at " << icon->geometry.center().x() << "," << icon->geometry.center().y()
            << ", the selection ends at " << end->x() << "," << end->y();

        pause(250);
        ASSERT_TRUE(hover(icon->geometry.center(), 700));
        ASSERT_TRUE(click(icon->geometry.center()));
        EXPECT_TRUE(waitFor([] { return floatingWindow(QStringLiteral("results")).has_value(); }, 5000))
            << "the results panel did not open; the program shows " << xWindowsOfProgram();
        expectFocusIn(*editor);
        useFirstCard(*editor);
    }

    /** Presses "Use" on the first card and checks that it replaced the second line and only it. */
    void useFirstCard(const Editor& editor)
    {
        // The first card, once it has come to rest with its variation (the panel shows
        // placeholders first, and the cards slide in). Under a sanitizer, with GNOME Shell on two
        // cores, the first polishing has taken more than 20 s to show.
        FirstCard card;
        waitFor([&] { return readFirstCard(card); }, 60000);
        ASSERT_FALSE(card.variation.isEmpty()) << "the first card shows no variation";
        // As a person's pointer does, it comes to rest on the button before pressing: on sway a
        // press made the instant the pointer lands on a floating window can miss it.
        ASSERT_TRUE(hover(card.useButton.center(), 700));
        ASSERT_TRUE(click(card.useButton.center()));
        EXPECT_TRUE(waitFor([] { return !floatingWindow(QStringLiteral("results")); }, 3000))
            << "the results panel stayed after \"Use\"";
        const QString expected = kFirstLine + QLatin1Char('\n') + card.variation + QLatin1Char('\n') + kThirdLine;
        EXPECT_TRUE(waitFor([&] { return accessibility().text(editor.text) == expected; }, 5000))
            << "the editor holds \"" << accessibility().text(editor.text).toStdString() << "\"";
        expectFocusIn(editor);
        stopEditor(editor);
    }
};

TEST_F(WaylandLoopTest, UseReplacesALineSelectedInAGtkEditor)
{
    useFirstVariationIn(Toolkit::Gtk3);
}

TEST_F(WaylandLoopTest, UseReplacesALineSelectedInAQtEditor)
{
    useFirstVariationIn(Toolkit::Qt6);
}

TEST_F(WaylandLoopTest, ASecondStartWithPolishSelectionOpensTheResultsForTheSelection)
{
    useFirstVariationIn(Toolkit::Gtk3, Trigger::polishCommand);
}

} // namespace
} // namespace quillora::test
