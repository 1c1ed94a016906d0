#pragma once

#include "AtspiReader.h"

#include <QPoint>
#include <QRect>
#include <QString>

#include <gtest/gtest.h>

#include <optional>

class QProcess;

namespace quillora::test {

class Compositor;
class WaylandSession;

/** The editors the tests type into, both running natively on Wayland. */
enum class Toolkit {
    Gtk3,
    Qt6,
};

/** An editor on screen, with its text as AT-SPI shows it. */
struct Editor
{
    QProcess* process = nullptr;
    qint64 pid = 0;
    Accessible text;
};

/** A range of an editor's text on screen, and where a drag over exactly that range goes. */
struct TextSpan
{
    QPoint from;
    QPoint to;
    /** The bounds of the last character: the selection ends at its right edge. */
    QRect last;
};

/**
 * Plays the user on the Wayland session: starts editors holding three lines, drags and clicks with
 * the compositor's virtual pointer, and reads selections and focus back through AT-SPI and the
 * compositor.
 */
class WaylandDesktopTest : public ::testing::Test
{
protected:
    static const QString kFirstLine;
    static const QString kSecondLine;
    static const QString kThirdLine;
    /** The three lines, as the editors start with them. */
    static QString text();

    static WaylandSession& session();
    static Compositor& compositor();
    static AtspiReader& accessibility();

    /** Starts an editor holding `text()` and waits until it is on screen, focused, and exposes its text. */
    std::optional<Editor> startEditor(Toolkit toolkit);
    void stopEditor(const Editor& editor);

    /** Where the characters from `start` to `end` of the editor's text lie on screen. */
    std::optional<QRect> onScreen(const Editor& editor, int start, int end);
    /** From the first character's left quarter to the last one's right quarter: each end snaps to the range. */
    std::optional<TextSpan> spanOf(const Editor& editor, int start, int length);

    /** Presses at `from`, moves in steps to `to` and releases there; false when the compositor is gone. */
    [[nodiscard]] bool drag(QPoint from, QPoint to);
    /**
     * Moves onto `at` from a little to its left in a few steps, as a hand does, and rests there
     * `restMs`; false when the compositor is gone.
     */
    [[nodiscard]] bool hover(QPoint at, int restMs);
    /** Moves to `at`, rests there `restMs` and clicks; false when the compositor is gone. */
    [[nodiscard]] bool click(QPoint at, int restMs = 100);

    /**
     * Selects the second line with a drag and checks that the editor reported the change through
     * AT-SPI with the line's text and now has it selected. Returns where the selection ends on screen.
     */
    std::optional<QPoint> selectSecondLine(const Editor& editor);
    /** Checks that the editor's text has keyboard focus, for AT-SPI and for the compositor. */
    void expectFocusIn(const Editor& editor);
};

} // namespace quillora::test
