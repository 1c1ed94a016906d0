#include "WaylandDesktopTest.h"

#include "Compositor.h"
#include "VirtualPointer.h"
#include "WaylandSession.h"
#include "WaylandTestEnvironment.h"
#include "support/WaitFor.h"

#include <algorithm>

namespace quillora::test {

const QString WaylandDesktopTest::kFirstLine = QStringLiteral("Hello team,");
const QString WaylandDesktopTest::kSecondLine = QStringLiteral("i think we should maybe move the meeting to friday");
const QString WaylandDesktopTest::kThirdLine = QStringLiteral("Thanks.");

QString WaylandDesktopTest::text()
{
    return kFirstLine + QLatin1Char('\n') + kSecondLine + QLatin1Char('\n') + kThirdLine;
}

WaylandSession& WaylandDesktopTest::session()
{
    return WaylandTestEnvironment::session();
}

Compositor& WaylandDesktopTest::compositor()
{
    return session().compositor();
}

AtspiReader& WaylandDesktopTest::accessibility()
{
    return WaylandTestEnvironment::accessibility();
}

std::optional<Editor> WaylandDesktopTest::startEditor(Toolkit toolkit)
{
    QProcessEnvironment variables;
    QProcess* process = nullptr;
    if (toolkit == Toolkit::Gtk3) {
        variables.insert(QStringLiteral("GDK_BACKEND"), QStringLiteral("wayland"));
        process = session().launch(QStringLiteral("/usr/bin/python3"), {QStringLiteral(QUILLORA_GTK_EDITOR), text()},
                                   variables);
    } else {
        variables.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
        process = session().launch(QStringLiteral(QUILLORA_QT_EDITOR), {text()}, variables);
    }
    if (process == nullptr) {
        ADD_FAILURE() << "the editor could not be started";
        return std::nullopt;
    }
    Editor editor{process, process->processId(), nullptr};
    if (!waitFor([&] { return compositor().focusedPid() == editor.pid; }, 30000)) {
        ADD_FAILURE() << "the editor's window did not come up focused on " << compositor().name().toStdString();
        return std::nullopt;
    }
    std::optional<Accessible> found;
    waitFor(
        [&] {
            found = accessibility().find(editor.pid, [](const Accessible& element) {
                return accessibility().roleName(element) == QLatin1String("text") &&
                       accessibility().text(element) == text();
            });
            return found.has_value();
        },
        20000);
    if (!found) {
        ADD_FAILURE() << "the editor's text is not exposed through AT-SPI";
        return std::nullopt;
    }
    editor.text = *found;
    return editor;
}

void WaylandDesktopTest::stopEditor(const Editor& editor)
{
    editor.process->terminate();
    editor.process->waitForFinished(3000);
}

std::optional<QRect> WaylandDesktopTest::onScreen(const Editor& editor, int start, int end)
{
    const std::optional<WindowOnScreen> window = compositor().windowOf(editor.pid);
    const std::optional<QRect> extents = accessibility().rangeExtents(editor.text, start, end);
    if (!window || !extents || extents->isEmpty()) {
        return std::nullopt;
    }
    // Toolkits on Wayland know no more than their own surface: their bounds start at its origin.
    return extents->translated(window->surface.topLeft());
}

std::optional<TextSpan> WaylandDesktopTest::spanOf(const Editor& editor, int start, int length)
{
    const std::optional<QRect> first = onScreen(editor, start, start + 1);
    const std::optional<QRect> last = onScreen(editor, start + length - 1, start + length);
    if (!first || !last) {
        return std::nullopt;
    }
    return TextSpan{QPoint(first->left() + first->width() / 4, first->center().y()),
                    QPoint(last->left() + last->width() * 3 / 4, last->center().y()), *last};
}

bool WaylandDesktopTest::drag(QPoint from, QPoint to)
{
    VirtualPointer& pointer = compositor().pointer();
    if (!pointer.moveTo(from)) {
        return false;
    }
    pause(50);
    if (!pointer.press()) {
        return false;
    }
    constexpr int steps = 8;
    for (int step = 1; step <= steps; ++step) {
        pause(20);
        if (!pointer.moveTo(from + (to - from) * step / steps)) {
            return false;
        }
    }
    pause(20);
    return pointer.release();
}

bool WaylandDesktopTest::hover(QPoint at, int restMs)
{
    VirtualPointer& pointer = compositor().pointer();
    constexpr int steps = 4;
    for (int step = steps; step >= 0; --step) {
        if (!pointer.moveTo(at - QPoint(4 * step, 0))) {
            return false;
        }
        pause(30);
    }
    pause(restMs);
    return true;
}

bool WaylandDesktopTest::click(QPoint at, int restMs)
{
    VirtualPointer& pointer = compositor().pointer();
    if (!pointer.moveTo(at)) {
        return false;
    }
    pause(restMs);
    if (!pointer.press()) {
        return false;
    }
    pause(50);
    return pointer.release();
}

std::optional<QPoint> WaylandDesktopTest::selectSecondLine(const Editor& editor)
{
    const int start = int(kFirstLine.size()) + 1;
    const int length = int(kSecondLine.size());
    const std::optional<TextSpan> span = spanOf(editor, start, length);
    if (!span) {
        ADD_FAILURE() << "no bounds for the second line";
        return std::nullopt;
    }
    static_cast<void>(accessibility().takeSelectionChanges());
    if (!drag(span->from, span->to)) {
        ADD_FAILURE() << "the connection to the compositor broke";
        return std::nullopt;
    }
    std::vector<SelectionChange> changes;
    const bool reported = waitFor(
        [&] {
            for (const SelectionChange& change : accessibility().takeSelectionChanges()) {
                changes.push_back(change);
            }
            return std::any_of(changes.begin(), changes.end(), [&](const SelectionChange& change) {
                return change.pid == editor.pid && change.selectedText == kSecondLine;
            });
        },
        5000);
    EXPECT_TRUE(reported) << "AT-SPI reported " << changes.size()
                          << " selection changes, none with the second line; the last selected \""
                          << (changes.empty() ? std::string() : changes.back().selectedText.toStdString()) << "\"";
    EXPECT_EQ(accessibility().selection(editor.text), std::make_pair(start, start + length));
    if (!reported) {
        return std::nullopt;
    }
    return QPoint(span->last.right(), span->last.center().y());
}

void WaylandDesktopTest::expectFocusIn(const Editor& editor)
{
    EXPECT_TRUE(accessibility().isFocused(editor.text)) << "the editor's text lost keyboard focus (AT-SPI)";
    EXPECT_EQ(compositor().focusedPid(), std::optional<qint64>(editor.pid))
        << compositor().name().toStdString() << " moved keyboard focus away from the editor";
}

} // namespace quillora::test
