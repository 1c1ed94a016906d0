// The whole loop on a headless Wayland compositor: the reference service, the desktop program on
// Xwayland, and a GTK 3 and a Qt 6 editor running natively on Wayland. A drag selects a line, the
// icon appears by the selection's end, resting on it and clicking it opens the results without
// taking focus from the editor, and "Use" replaces the line with the first variation, read back
// through AT-SPI.
#include "Compositor.h"
#include "WaitFor.h"
#include "WaylandDesktopTest.h"
#include "WaylandSession.h"
#include "XwaylandWindows.h"

#include <QFileInfo>
#include <QLineF>
#include <QTcpServer>
#include <QTcpSocket>

namespace quillora::test {
namespace {

// How far from the selection's end the icon's centre may be.
constexpr double kIconReach = 120;

/** A program under test: from the build tree, or from where the environment variable `name` says. */
QString programPath(const char* name, const char* built)
{
    const QString chosen = qEnvironmentVariable(name);
    return chosen.isEmpty() ? QString::fromUtf8(built) : chosen;
}

/** What the results panel offers on its first card. */
struct FirstCard
{
    QString variation;
    QRect useButton;
};

class WaylandLoopTest : public WaylandDesktopTest
{
protected:
    static void SetUpTestSuite()
    {
        const QString server = programPath("QUILLORA_SERVER_PROGRAM", QUILLORA_SERVER_PROGRAM);
        const QString program = programPath("QUILLORA_DESKTOP_PROGRAM", QUILLORA_DESKTOP_PROGRAM);
        for (const QString& path : {server, program}) {
            ASSERT_TRUE(QFileInfo(path).isExecutable()) << path.toStdString() << " is not built, or not readable";
        }
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        const quint16 port = probe.serverPort();
        probe.close();
        s_server = session().launch(server, {QStringLiteral("--listen"), QStringLiteral("127.0.0.1:%1").arg(port),
                                             QStringLiteral("--engine"), QStringLiteral("rules"),
                                             QStringLiteral("--mode"), QStringLiteral("local")});
        ASSERT_NE(s_server, nullptr);
        ASSERT_TRUE(waitFor(
            [port] {
                QTcpSocket socket;
                socket.connectToHost(QHostAddress::LocalHost, port);
                return socket.waitForConnected(100);
            },
            // Loading the dictionaries takes seconds in a debug or sanitized build on a busy machine.
            60000))
            << "the reference service did not start";

        QProcessEnvironment variables;
        // The program's own log lines, kept with the session's logs (QUILLORA_KEEP_DESKTOP_LOGS).
        variables.insert(QStringLiteral("QUILLORA_DEBUG_LOG"), QStringLiteral("1"));
        variables.insert(QStringLiteral("QUILLORA_BACKEND_URL"), QStringLiteral("http://127.0.0.1:%1").arg(port));
        // Its floating windows stay where it puts them only as X11 windows, through Xwayland.
        variables.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        s_program = session().launch(program, {QStringLiteral("--uitesting")}, variables);
        ASSERT_NE(s_program, nullptr);
        s_programPid = s_program->processId();
        // The program shows its history window at once and starts tracking as soon as its
        // permission gate finds the desktop trusted (when the window is shown, then once a second).
        ASSERT_TRUE(waitFor(
            [] {
                return accessibility()
                    .find(s_programPid,
                          [](const Accessible& element) {
                              return accessibility().roleName(element) == QLatin1String("frame");
                          })
                    .has_value();
            },
            20000))
            << "the desktop program did not show its history window";
        // sway's configuration moves the history window to a corner (see SwayCompositor): where
        // it lies under the program's floating windows, clicks on them would be lost.
        pause(1500);
    }

    static void TearDownTestSuite()
    {
        for (QProcess* process : {s_program, s_server}) {
            if (process != nullptr) {
                process->terminate();
                process->waitForFinished(3000);
            }
        }
        s_program = nullptr;
        s_server = nullptr;
    }

    /** The program's floating window called `name` (override-redirect, on Xwayland), if it shows one. */
    static std::optional<XWindow> floatingWindow(const QString& name)
    {
        for (const XWindow& window : XwaylandWindows::of(s_programPid)) {
            if (window.overrideRedirect && window.name == name) {
                return window;
            }
        }
        return std::nullopt;
    }

    /** The program's X11 windows, for messages. */
    static std::string xWindowsOfProgram()
    {
        QStringList windows;
        for (const XWindow& window : XwaylandWindows::of(s_programPid)) {
            windows << QStringLiteral("\"%1\"%2 at %3,%4 %5x%6")
                           .arg(window.name,
                                window.overrideRedirect ? QStringLiteral(" (override-redirect)") : QString())
                           .arg(window.geometry.x())
                           .arg(window.geometry.y())
                           .arg(window.geometry.width())
                           .arg(window.geometry.height());
        }
        return windows.isEmpty() ? std::string("no X11 window at the root")
                                 : windows.join(QStringLiteral(", ")).toStdString();
    }

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

    void useFirstVariationIn(Toolkit toolkit)
    {
        const std::optional<Editor> editor = startEditor(toolkit);
        ASSERT_TRUE(editor);
        const std::optional<QPoint> end = selectSecondLine(*editor);
        ASSERT_TRUE(end);

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

        // The first card, once it has come to rest with its variation (the panel shows
        // placeholders first, and the cards slide in).
        FirstCard card;
        waitFor([&] { return readFirstCard(card); }, 20000);
        ASSERT_FALSE(card.variation.isEmpty()) << "the first card shows no variation";
        // As a person's pointer does, it comes to rest on the button before pressing: on sway a
        // press made the instant the pointer lands on a floating window can miss it.
        ASSERT_TRUE(hover(card.useButton.center(), 700));
        ASSERT_TRUE(click(card.useButton.center()));
        EXPECT_TRUE(waitFor([] { return !floatingWindow(QStringLiteral("results")); }, 3000))
            << "the results panel stayed after \"Use\"";
        const QString expected = kFirstLine + QLatin1Char('\n') + card.variation + QLatin1Char('\n') + kThirdLine;
        EXPECT_TRUE(waitFor([&] { return accessibility().text(editor->text) == expected; }, 5000))
            << "the editor holds \"" << accessibility().text(editor->text).toStdString() << "\"";
        expectFocusIn(*editor);
        stopEditor(*editor);
    }

    static inline QProcess* s_server = nullptr;
    static inline QProcess* s_program = nullptr;
    static inline qint64 s_programPid = 0;
};

TEST_F(WaylandLoopTest, UseReplacesALineSelectedInAGtkEditor)
{
    useFirstVariationIn(Toolkit::Gtk3);
}

TEST_F(WaylandLoopTest, UseReplacesALineSelectedInAQtEditor)
{
    useFirstVariationIn(Toolkit::Qt6);
}

} // namespace
} // namespace quillora::test
