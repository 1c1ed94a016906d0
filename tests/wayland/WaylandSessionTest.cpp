// What the loop relies on in each Wayland session, shown with a stand-in for the desktop program:
// a drag with the compositor's virtual pointer selects a line in a GTK 3 and a Qt 6 editor, the
// editor reports it through AT-SPI, and a floating X11 window (override-redirect, through Xwayland)
// appears exactly where it is put and takes the pointer's enter and click while the editor keeps
// keyboard focus and its selection. A failure here is the session's, not the desktop program's.
#include "WaylandSession.h"
#include "WaitFor.h"
#include "WaylandDesktopTest.h"
#include "XwaylandWindows.h"

#include <QProcess>

namespace quillora::test {
namespace {

/**
 * Reads `process`'s output line by line until it prints `line`, adding the lines it read to `seen`;
 * false when it does not print it in time.
 */
bool waitForLine(QProcess* process, const QByteArray& line, int timeoutMs, QByteArrayList& seen)
{
    return waitFor(
        [&] {
            while (process->canReadLine()) {
                seen.append(process->readLine().trimmed());
                if (seen.constLast() == line) {
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
}

class WaylandSessionTest : public WaylandDesktopTest
{
};

TEST_F(WaylandSessionTest, DragsSelectLinesAndFloatingXWindowsTakeClicksWithoutTakingFocus)
{
    // The stand-in starts first, as the desktop program does, with its managed window.
    QProcess* standIn = session().launch(QStringLiteral(QUILLORA_FLOATING_FIXTURE), {});
    ASSERT_NE(standIn, nullptr);
    QByteArrayList seen;
    ASSERT_TRUE(waitForLine(standIn, "ready", 20000, seen)) << "the stand-in did not start";
    for (const Toolkit toolkit : {Toolkit::Gtk3, Toolkit::Qt6}) {
        SCOPED_TRACE(toolkit == Toolkit::Gtk3 ? "GTK 3" : "Qt 6");
        const std::optional<Editor> editor = startEditor(toolkit);
        ASSERT_TRUE(editor);
        const std::optional<QPoint> end = selectSecondLine(*editor);
        ASSERT_TRUE(end);

        const QPoint placed = *end + QPoint(20, -16);
        standIn->write(QStringLiteral("show %1 %2\n").arg(placed.x()).arg(placed.y()).toUtf8());
        std::optional<XWindow> floating;
        waitFor(
            [&] {
                for (const XWindow& window : XwaylandWindows::of(standIn->processId())) {
                    if (window.overrideRedirect && window.name == QLatin1String("floatingStandIn") &&
                        window.geometry.topLeft() == placed) {
                        floating = window;
                    }
                }
                return floating.has_value();
            },
            5000);
        ASSERT_TRUE(floating) << "the floating window did not appear where it was put";

        // A person reacts to a window that appears after a moment; a pointer moved onto it sooner
        // can reach the compositor before Xwayland has shown the window to it.
        pause(250);
        ASSERT_TRUE(hover(floating->geometry.center(), 0));
        seen.clear();
        EXPECT_TRUE(waitForLine(standIn, "entered", 3000, seen))
            << "the pointer's enter did not reach the floating window; it saw " << seen.join(' ').toStdString();
        ASSERT_TRUE(click(floating->geometry.center()));
        EXPECT_TRUE(waitForLine(standIn, "pressed", 3000, seen) && waitForLine(standIn, "released", 3000, seen))
            << "the click did not reach the floating window; it saw " << seen.join(' ').toStdString();
        expectFocusIn(*editor);
        const int start = int(kFirstLine.size()) + 1;
        EXPECT_EQ(accessibility().selection(editor->text), std::make_pair(start, start + int(kSecondLine.size())))
            << "the click on the floating window dropped the editor's selection";
        stopEditor(*editor);
    }
}

} // namespace
} // namespace quillora::test
