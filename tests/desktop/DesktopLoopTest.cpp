// The whole loop on a real X11 desktop: the desktop program and the reference service, a GTK 3
// editor, a Qt 6 editor, two editors people use (Mousepad on GTK 3, FeatherPad on Qt 5), text areas
// in Chromium and Firefox, a GTK 4 editor, xterm and Xfce's terminal. A drag selects text, the icon
// appears by the pointer, resting on it and clicking opens the results without taking focus from
// the editor, and "Use" replaces the selection with the first variation, read back through AT-SPI.
#include "DesktopDriver.h"
#include "DesktopSession.h"
#include "DesktopTestEnvironment.h"
#include "RawKeyCounter.h"
#include "support/FileContent.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QUrl>

#include <gtest/gtest.h>

#include <algorithm>

namespace quillora::test {
namespace {

const QString kBefore = QStringLiteral("Hello team, ");
const QString kSelection = QStringLiteral("i think we should maybe move the meeting to friday");
const QString kAfter = QStringLiteral(" Thanks.");

const auto isTextArea = [](const QString& role, const QString&) { return role == QLatin1String("AXTextArea"); };

/** What the results panel offered for the first preset. */
struct FirstCard
{
    QString variation;
    QRect useButton;
    QRect copyButton;
};

class DesktopLoopTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        DesktopSession& session = DesktopTestEnvironment::session();
        s_driver = new DesktopDriver(session);
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        s_port = probe.serverPort();
        probe.close();
        s_server = session.launch(QStringLiteral(QUILLORA_SERVER_PROGRAM),
                                  {QStringLiteral("--listen"), QStringLiteral("127.0.0.1:%1").arg(s_port),
                                   QStringLiteral("--engine"), QStringLiteral("rules"), QStringLiteral("--mode"),
                                   QStringLiteral("local")});
        ASSERT_NE(s_server, nullptr);
        ASSERT_TRUE(waitFor(
            [] {
                QTcpSocket socket;
                socket.connectToHost(QHostAddress::LocalHost, s_port);
                return socket.waitForConnected(100);
            },
            // Loading the dictionaries takes seconds in a debug or sanitized build on a busy machine.
            60000))
            << "the reference service did not start";
        QProcessEnvironment variables;
        // The program's own log lines, kept with the session's logs (QUILLORA_KEEP_DESKTOP_LOGS).
        variables.insert(QStringLiteral("QUILLORA_DEBUG_LOG"), QStringLiteral("1"));
        variables.insert(QStringLiteral("QUILLORA_BACKEND_URL"), QStringLiteral("http://127.0.0.1:%1").arg(s_port));
        s_program =
            session.launch(QStringLiteral(QUILLORA_DESKTOP_PROGRAM), {QStringLiteral("--uitesting")}, variables);
        ASSERT_NE(s_program, nullptr);
        s_programPid = s_program->processId();
        // The program shows its history window at once and starts tracking as soon as its permission
        // gate finds the desktop trusted (when the window is shown, then once a second).
        ASSERT_TRUE(waitFor(
            [] {
                return s_driver
                    ->findElement(s_programPid,
                                  [](const QString& role, const QString&) { return role == QLatin1String("AXWindow"); })
                    .has_value();
            },
            20000))
            << "the desktop program did not start tracking";
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
        delete s_driver;
        s_driver = nullptr;
    }

    DesktopDriver& driver() { return *s_driver; }
    static DesktopSession& session() { return DesktopTestEnvironment::session(); }

    /** Starts an editor and waits for its window, active. */
    std::pair<QProcess*, quint64> startEditor(const QString& program, const QStringList& arguments,
                                              const QProcessEnvironment& variables = QProcessEnvironment())
    {
        QProcess* editor = session().launch(program, arguments, variables);
        EXPECT_NE(editor, nullptr) << program.toStdString();
        if (editor == nullptr) {
            return {nullptr, 0};
        }
        const std::optional<quint64> window = driver().waitForWindow(editor->processId(), QString(), 30000);
        EXPECT_TRUE(window) << program.toStdString() << " showed no window";
        if (!window) {
            return {editor, 0};
        }
        waitFor([&] { return driver().activate(*window); }, 5000);
        return {editor, *window};
    }

    /**
     * Drags from `from` to `to` and opens the results: checks that the icon appears by the pointer,
     * and that resting on it and clicking it leaves `editorWindow` active. Returns the first card.
     */
    std::optional<FirstCard> polish(QPoint from, QPoint to, quint64 editorWindow)
    {
        driver().drag(from, to);
        return openResults(to, editorWindow);
    }

    /** As `polish`, once a gesture that ended at `to` has selected the text. */
    std::optional<FirstCard> openResults(QPoint to, quint64 editorWindow)
    {
        const std::optional<quint64> icon =
            driver().waitForWindow(s_programPid, QStringLiteral("^floatingIcon$"), 5000);
        if (!icon) {
            ADD_FAILURE() << "no icon appeared after the drag";
            return std::nullopt;
        }
        const std::optional<QRect> iconFrame = driver().geometry(*icon);
        EXPECT_TRUE(iconFrame);
        if (!iconFrame) {
            return std::nullopt;
        }
        // 20 points right of and 5 below the pointer, give or take the window's rounding.
        EXPECT_NEAR(iconFrame->left(), to.x() + 20, 40);
        EXPECT_NEAR(iconFrame->center().y(), to.y() + 5, 60);
        driver().moveTo(iconFrame->center());
        pause(700);
        driver().click(iconFrame->center());
        const std::optional<quint64> results = driver().waitForWindow(s_programPid, QStringLiteral("^results$"), 5000);
        EXPECT_TRUE(results) << "the results panel did not open";
        EXPECT_EQ(driver().activeWindow(), editorWindow) << "the panel took focus from the editor";

        // The first card, once it has come to rest with its variation (the panel shows placeholders
        // first, and the cards slide in).
        FirstCard card;
        waitFor([&] { return readFirstCard(card); }, 20000);
        EXPECT_FALSE(card.variation.isEmpty()) << "the first card shows no variation";
        return card;
    }

    /** Reads the first card of the results panel; false while it has no variation or still moves. */
    bool readFirstCard(FirstCard& card)
    {
        card = FirstCard();
        const std::optional<AXElementRef> use =
            driver().findElement(s_programPid, [](const QString& role, const QString& title) {
                return role == QLatin1String("AXButton") && title == QLatin1String("Use");
            });
        const std::optional<AXElementRef> frame = use ? driver().parent(*use) : std::nullopt;
        const std::optional<QRect> before = use ? driver().frame(*use) : std::nullopt;
        if (!frame || !before) {
            return false;
        }
        for (const AXElementRef& child : driver().children(*frame)) {
            const QString title = driver().title(child);
            const std::optional<QRect> rect = driver().frame(child);
            if (child == *use || !rect) {
                continue;
            }
            if (title.size() > card.variation.size() && title != title.toUpper()) {
                card.variation = title;
            } else if (rect->width() < 40 && rect->height() < 40) {
                card.copyButton = *rect;
            }
        }
        pause(150);
        card.useButton = *before;
        return !card.variation.isEmpty() && driver().frame(*use) == before;
    }

    /** What the reference service logged: one line per request. */
    static QString serverLog()
    {
        return QString::fromUtf8(
            readFile(QDir(session().scratchPath()).filePath(QStringLiteral("quillora-server.log"))));
    }

    /** How many polishing requests the reference service has received. */
    static int polishRequests() { return int(serverLog().count(QLatin1String("\"path\":\"/api/v1/polish\""))); }

    /**
     * Drags from `from` to `to`, then presses the shortcut: no icon appears, the panel opens only
     * to say why, and the service receives no polishing request.
     */
    void expectNothingRead(QPoint from, QPoint to)
    {
        const int before = polishRequests();
        driver().drag(from, to);
        EXPECT_FALSE(driver().waitForWindow(s_programPid, QStringLiteral("^floatingIcon$"), 2000))
            << "an icon appeared over text that must not be read";
        pressKeys(QStringLiteral("ctrl+alt+space"));
        EXPECT_TRUE(driver().waitForWindow(s_programPid, QStringLiteral("^results$"), 5000));
        pressKeys(QStringLiteral("Escape"));
        pause(500);
        EXPECT_EQ(polishRequests(), before) << "the service received a polishing request";
    }

    /** Presses a key combination as the user would (xdotool's names), wherever the focus is. */
    void pressKeys(const QString& combination)
    {
        session().run(QStringLiteral("xdotool"),
                      {QStringLiteral("key"), QStringLiteral("--clearmodifiers"), combination});
    }

    /** The variations of every card on the results panel, top to bottom; empty while there are none. */
    std::vector<QString> readVariations()
    {
        const std::optional<AXElementRef> use =
            driver().findElement(s_programPid, [](const QString& role, const QString& title) {
                return role == QLatin1String("AXButton") && title == QLatin1String("Use");
            });
        const std::optional<AXElementRef> card = use ? driver().parent(*use) : std::nullopt;
        const std::optional<AXElementRef> entrance = card ? driver().parent(*card) : std::nullopt;
        const std::optional<AXElementRef> list = entrance ? driver().parent(*entrance) : std::nullopt;
        if (!list) {
            return {};
        }
        std::vector<std::pair<int, QString>> found;
        for (const AXElementRef& holder : driver().children(*list)) {
            for (const AXElementRef& each : driver().children(holder)) {
                QString variation;
                for (const AXElementRef& child : driver().children(each)) {
                    const QString title = driver().title(child);
                    if (title.size() > variation.size() && title != title.toUpper()) {
                        variation = title;
                    }
                }
                const std::optional<QRect> rect = driver().frame(each);
                if (!variation.isEmpty() && rect) {
                    found.emplace_back(rect->top(), variation);
                }
            }
        }
        std::sort(found.begin(), found.end());
        std::vector<QString> variations;
        for (const auto& [top, variation] : found) {
            variations.push_back(variation);
        }
        return variations;
    }

    /** Presses "Use" and waits for the panel to leave the screen, as it does before pasting. */
    void clickUse(const FirstCard& card)
    {
        driver().click(card.useButton.center());
        EXPECT_TRUE(waitFor([] { return !s_driver->window(s_programPid, QStringLiteral("^results$")); }, 3000))
            << "the results panel stayed after \"Use\"";
    }

    /** Clicks away from the text and lets the multi-click window pass. */
    void settle(QPoint away)
    {
        driver().click(away);
        pause(700);
    }

    /**
     * A point on `text` outside the results panel, `preferred` if it is. The panel stays open after
     * a copy, and a click on it would leave the text selected, so that the next drag would move
     * the text instead of selecting it.
     */
    std::optional<QPoint> clearOfResults(const AXElementRef& text, QPoint preferred)
    {
        const std::optional<quint64> results = driver().window(s_programPid, QStringLiteral("^results$"));
        const std::optional<QRect> panel = results ? driver().geometry(*results) : std::nullopt;
        std::vector<QPoint> candidates{preferred};
        if (const std::optional<QRect> area = driver().frame(text)) {
            const QRect inner = area->adjusted(10, 10, -10, -10);
            candidates.insert(candidates.end(), {inner.bottomLeft(), inner.bottomRight(), inner.topRight()});
        }
        for (const QPoint& point : candidates) {
            if (!panel || !panel->contains(point)) {
                return point;
            }
        }
        return std::nullopt;
    }

    /** Where a drag over a range of a text goes, and the bounds of that range, in screen pixels. */
    struct DragSpan
    {
        QPoint from;
        QPoint to;
        QRect bounds;
    };

    /**
     * From the first character's left quarter to the last one's right quarter: each end snaps to
     * the boundary it is nearest to, so exactly the range is selected. Firefox lays its text out
     * for accessibility a moment after it exposes it, with empty bounds until then.
     */
    std::optional<DragSpan> spanOf(const AXElementRef& text, qint64 start, qint64 length)
    {
        std::optional<QRect> first;
        std::optional<QRect> last;
        const bool laidOut = waitFor(
            [&] {
                first = driver().rangeFrame(text, AXRange{start, 1});
                last = driver().rangeFrame(text, AXRange{start + length - 1, 1});
                return first && last && !first->isEmpty() && !last->isEmpty() && *first != *last;
            },
            10000);
        if (!laidOut) {
            return std::nullopt;
        }
        return DragSpan{QPoint(first->left() + first->width() / 4, first->center().y()),
                        QPoint(last->left() + last->width() * 3 / 4, last->center().y()), first->united(*last)};
    }

    /**
     * Polishes the terminal's selection between `from` and `to` and uses the first variation: no
     * key may be posted to read the selection, and the program in the terminal must receive the
     * variation and keep running without an interrupt.
     */
    void useFirstVariationInTerminal(QProcess* terminal, quint64 window, QPoint from, QPoint to,
                                     const QString& received, const QString& interrupted)
    {
        RawKeyCounter keys;
        keys.reset();
        const std::optional<FirstCard> card = polish(from, to, window);
        ASSERT_TRUE(card);
        EXPECT_EQ(keys.presses(), 0) << "a key was posted to read the terminal's selection";
        clickUse(*card);
        EXPECT_TRUE(waitFor(
            [&] {
                QFile file(received);
                return file.open(QIODevice::ReadOnly) && QString::fromUtf8(file.readAll()) == card->variation;
            },
            5000))
            << "the terminal program did not receive the variation";
        EXPECT_FALSE(QFile::exists(interrupted)) << "the terminal program was interrupted";
        EXPECT_EQ(terminal->state(), QProcess::Running);
    }

    /** Drags over the selection in a text editor that AT-SPI exposes and pastes the first variation. */
    void useFirstVariationIn(QProcess* editor, quint64 window, bool alsoCopyOnly)
    {
        ASSERT_NE(window, 0U);
        const qint64 pid = editor->processId();
        const std::optional<AXElementRef> text = driver().waitForElement(
            pid, [this, pid](const QString& role, const QString& title) { return isTextArea(role, title); }, 20000);
        ASSERT_TRUE(text) << "the editor's text is not exposed through AT-SPI";
        ASSERT_TRUE(waitFor([&] { return driver().text(*text) == kBefore + kSelection + kAfter; }, 10000))
            << driver().text(*text).toStdString();
        const std::optional<DragSpan> span = spanOf(*text, kBefore.size(), kSelection.size());
        ASSERT_TRUE(span) << "no bounds for the selection";
        const QPoint& from = span->from;
        const QPoint& to = span->to;
        const QPoint away(span->bounds.left(), span->bounds.bottom() + 60);

        if (alsoCopyOnly) {
            const std::optional<FirstCard> card = polish(from, to, window);
            ASSERT_TRUE(card);
            ASSERT_TRUE(card->copyButton.isValid()) << "no copy button on the first card";
            driver().click(card->copyButton.center());
            EXPECT_TRUE(waitFor([&] { return driver().clipboardText() == card->variation; }, 5000))
                << "the clipboard holds \"" << driver().clipboardText().toStdString() << "\"";
            EXPECT_EQ(driver().text(*text), kBefore + kSelection + kAfter) << "copy-only changed the editor";
            const std::optional<QPoint> clear = clearOfResults(*text, away);
            ASSERT_TRUE(clear) << "the results cover the whole text";
            settle(*clear);
        }

        const std::optional<FirstCard> card = polish(from, to, window);
        ASSERT_TRUE(card);
        clickUse(*card);
        EXPECT_TRUE(waitFor([&] { return driver().text(*text) == kBefore + card->variation + kAfter; }, 5000))
            << "the editor holds \"" << driver().text(*text).toStdString() << "\"";
        settle(away);
    }

    static inline DesktopDriver* s_driver = nullptr;
    static inline quint16 s_port = 0;
    static inline QProcess* s_server = nullptr;
    static inline QProcess* s_program = nullptr;
    static inline qint64 s_programPid = 0;
};

TEST_F(DesktopLoopTest, UseReplacesTheSelectionInAGtkEditorAndCopyOnlyFillsTheClipboard)
{
    const auto [editor, window] =
        startEditor(QStringLiteral("/usr/bin/python3"),
                    {QStringLiteral(QUILLORA_FIXTURES "/gtk_editor.py"), kBefore + kSelection + kAfter});
    ASSERT_NE(editor, nullptr);
    useFirstVariationIn(editor, window, true);
    editor->terminate();
    editor->waitForFinished(3000);
}

TEST_F(DesktopLoopTest, TheShortcutOpensTheResultsWhoseKeysCloseOrUseThemWithoutReachingTheEditor)
{
    const auto [editor, window] =
        startEditor(QStringLiteral("/usr/bin/python3"),
                    {QStringLiteral(QUILLORA_FIXTURES "/gtk_editor.py"), kBefore + kSelection + kAfter});
    ASSERT_NE(editor, nullptr);
    const std::optional<AXElementRef> text = driver().waitForElement(editor->processId(), isTextArea, 20000);
    ASSERT_TRUE(text);
    ASSERT_TRUE(waitFor([&] { return driver().text(*text) == kBefore + kSelection + kAfter; }, 10000));
    const std::optional<DragSpan> span = spanOf(*text, kBefore.size(), kSelection.size());
    ASSERT_TRUE(span);
    driver().drag(span->from, span->to);
    pause(700);

    // The shortcut opens the results without the icon's hover and click; Escape closes them.
    pressKeys(QStringLiteral("ctrl+alt+space"));
    ASSERT_TRUE(driver().waitForWindow(s_programPid, QStringLiteral("^results$"), 5000))
        << "the shortcut opened nothing";
    EXPECT_EQ(driver().activeWindow(), window) << "the panel took focus from the editor";
    std::vector<QString> variations;
    ASSERT_TRUE(waitFor([&] { return (variations = readVariations()).size() >= 2; }, 20000));
    pressKeys(QStringLiteral("Escape"));
    EXPECT_TRUE(waitFor([] { return !s_driver->window(s_programPid, QStringLiteral("^results$")); }, 3000))
        << "Escape did not close the panel";
    EXPECT_EQ(driver().activeWindow(), window);

    // "2" uses the second variation: the digit itself never reaches the editor.
    pressKeys(QStringLiteral("ctrl+alt+space"));
    ASSERT_TRUE(driver().waitForWindow(s_programPid, QStringLiteral("^results$"), 5000));
    ASSERT_TRUE(waitFor([&] { return (variations = readVariations()).size() >= 2; }, 20000));
    pressKeys(QStringLiteral("2"));
    EXPECT_TRUE(waitFor([&] { return driver().text(*text) == kBefore + variations.at(1) + kAfter; }, 5000))
        << "the editor holds \"" << driver().text(*text).toStdString() << "\"";
    EXPECT_EQ(driver().activeWindow(), window);
    // The editor reports every key it receives: neither Escape nor the digit was among them.
    editor->waitForReadyRead(200);
    const QString keys = QString::fromUtf8(editor->readAllStandardOutput());
    EXPECT_FALSE(keys.contains(QLatin1String("key Escape"))) << keys.toStdString();
    EXPECT_FALSE(keys.contains(QLatin1String("key 2"))) << keys.toStdString();
    // The shortcut's modifiers are not taken: seeing them shows that the editor does report keys.
    EXPECT_TRUE(keys.contains(QLatin1String("key Control_L"))) << keys.toStdString();
    settle(QPoint(span->bounds.left(), span->bounds.bottom() + 60));
    editor->terminate();
    editor->waitForFinished(3000);
}

TEST_F(DesktopLoopTest, APasswordFieldIsNeverReadByADragOrTheShortcutAndNothingReachesTheService)
{
    const QString secret = QStringLiteral("correct horse battery staple");
    const struct
    {
        const char* name;
        QString program;
        QStringList arguments;
    } fields[] = {
        {"GTK 3", QStringLiteral("/usr/bin/python3"), {QStringLiteral(QUILLORA_FIXTURES "/gtk_password.py"), secret}},
        {"Qt 6", QStringLiteral(QUILLORA_QT_EDITOR), {QStringLiteral("--password"), secret}},
    };
    for (const auto& field : fields) {
        SCOPED_TRACE(field.name);
        const auto [editor, window] = startEditor(field.program, field.arguments);
        ASSERT_NE(editor, nullptr);
        const std::optional<AXElementRef> entry = driver().waitForElement(
            editor->processId(),
            [](const QString& role, const QString&) { return role == QLatin1String("AXTextField"); }, 20000);
        ASSERT_TRUE(entry);
        const std::optional<QRect> frame = driver().frame(*entry);
        ASSERT_TRUE(frame);
        expectNothingRead(QPoint(frame->left() + 4, frame->center().y()),
                          QPoint(frame->right() - 4, frame->center().y()));
        EXPECT_NE(driver().clipboardText(), secret);
        editor->terminate();
        editor->waitForFinished(3000);
    }
    EXPECT_FALSE(serverLog().contains(secret));
}

TEST_F(DesktopLoopTest, AnApplicationOnTheDefaultExclusionListIsNeverRead)
{
    // The Qt editor under the name of a password manager that the list holds by default.
    const QString copy = QDir(session().scratchPath()).filePath(QStringLiteral("KeePassXC"));
    ASSERT_TRUE(QFile::exists(copy) || QFile::copy(QStringLiteral(QUILLORA_QT_EDITOR), copy));
    QFile::setPermissions(copy, QFile::permissions(QStringLiteral(QUILLORA_QT_EDITOR)));
    const auto [editor, window] = startEditor(copy, {kBefore + kSelection + kAfter});
    ASSERT_NE(editor, nullptr);
    const std::optional<AXElementRef> text = driver().waitForElement(editor->processId(), isTextArea, 20000);
    ASSERT_TRUE(text);
    ASSERT_TRUE(waitFor([&] { return driver().text(*text) == kBefore + kSelection + kAfter; }, 10000));
    const std::optional<DragSpan> span = spanOf(*text, kBefore.size(), kSelection.size());
    ASSERT_TRUE(span);
    expectNothingRead(span->from, span->to);
    editor->terminate();
    editor->waitForFinished(3000);
}

TEST_F(DesktopLoopTest, UseReplacesTheSelectionInAQtEditor)
{
    const auto [editor, window] = startEditor(QStringLiteral(QUILLORA_QT_EDITOR), {kBefore + kSelection + kAfter});
    ASSERT_NE(editor, nullptr);
    useFirstVariationIn(editor, window, false);
    editor->terminate();
    editor->waitForFinished(3000);
}

TEST_F(DesktopLoopTest, UseAndCopyWorkInEditorsPeopleUse)
{
    const QString file = session().scratchPath() + QStringLiteral("/note.txt");
    for (const QString& program : {QStringLiteral("mousepad"), QStringLiteral("featherpad")}) {
        SCOPED_TRACE(program.toStdString());
        if (QStandardPaths::findExecutable(program).isEmpty()) {
            std::fprintf(stderr, "%s is not installed: skipped\n", qPrintable(program));
            continue;
        }
        ASSERT_TRUE(writeFile(file, (kBefore + kSelection + kAfter).toUtf8()));
        const auto [editor, window] = startEditor(program, {file});
        ASSERT_NE(editor, nullptr);
        useFirstVariationIn(editor, window, true);
        // Killed rather than asked to quit: the changed note would hold the editor in a dialog.
        editor->kill();
        editor->waitForFinished(3000);
    }
}

// GTK 4 exposes neither the selection nor the bounds of characters through AT-SPI (4.8), and places
// its elements relative to the window: the selection is read from PRIMARY, and a triple click on the
// first line selects all of it.
TEST_F(DesktopLoopTest, UseReplacesALineTripleClickedInAGtk4Editor)
{
    if (QStandardPaths::findExecutable(QStringLiteral("gnome-text-editor")).isEmpty()) {
        GTEST_SKIP() << "gnome-text-editor is not installed";
    }
    const QString file = session().scratchPath() + QStringLiteral("/line.txt");
    ASSERT_TRUE(writeFile(file, (kBefore + kSelection + kAfter).toUtf8()));
    const auto [editor, window] =
        startEditor(QStringLiteral("gnome-text-editor"), {QStringLiteral("--standalone"), file});
    ASSERT_NE(editor, nullptr);
    ASSERT_NE(window, 0U);
    const std::optional<AXElementRef> text = driver().waitForElement(editor->processId(), isTextArea, 20000);
    ASSERT_TRUE(text) << "the editor's text is not exposed through AT-SPI";
    ASSERT_TRUE(waitFor([&] { return driver().text(*text) == kBefore + kSelection + kAfter; }, 10000))
        << driver().text(*text).toStdString();
    const std::optional<QRect> area = driver().frame(*text);
    const std::optional<QRect> client = driver().geometry(window);
    ASSERT_TRUE(area && client);
    const QPoint onFirstLine = client->topLeft() + area->topLeft() + QPoint(60, 18);

    driver().click(onFirstLine, 3);
    const std::optional<FirstCard> card = openResults(onFirstLine, window);
    ASSERT_TRUE(card);
    clickUse(*card);
    EXPECT_TRUE(waitFor([&] { return driver().text(*text) == card->variation; }, 5000))
        << "the editor holds \"" << driver().text(*text).toStdString() << "\"";
    editor->kill();
    editor->waitForFinished(3000);
}

TEST_F(DesktopLoopTest, UseReplacesTheSelectionInABrowserTextArea)
{
    const QString chromium = QStandardPaths::findExecutable(QStringLiteral("chromium"));
    if (chromium.isEmpty()) {
        GTEST_SKIP() << "Chromium is not installed";
    }
    QUrl page = QUrl::fromLocalFile(QStringLiteral(QUILLORA_FIXTURES "/textarea.html"));
    page.setFragment(kBefore + kSelection + kAfter);
    const QString profile = session().scratchPath() + QStringLiteral("/chromium");
    const auto [editor, window] =
        startEditor(chromium, {QStringLiteral("--no-sandbox"), QStringLiteral("--force-renderer-accessibility"),
                               QStringLiteral("--user-data-dir=") + profile, QStringLiteral("--no-first-run"),
                               QStringLiteral("--no-default-browser-check"), QStringLiteral("--disable-gpu"),
                               QStringLiteral("--password-store=basic"), QStringLiteral("--window-position=60,60"),
                               QStringLiteral("--window-size=900,500"),
                               QStringLiteral("--app=") + page.toString(QUrl::FullyEncoded)});
    ASSERT_NE(editor, nullptr);
    useFirstVariationIn(editor, window, false);
    editor->terminate();
    editor->waitForFinished(5000);
}

TEST_F(DesktopLoopTest, UseAndCopyWorkInAFirefoxTextArea)
{
    const QString firefox = QStandardPaths::findExecutable(QStringLiteral("firefox-esr"));
    if (firefox.isEmpty()) {
        GTEST_SKIP() << "Firefox is not installed";
    }
    // A profile of its own, without the pages and notices of a first start.
    const QString profile = session().scratchPath() + QStringLiteral("/firefox");
    QDir().mkpath(profile);
    QFile preferences(profile + QStringLiteral("/user.js"));
    ASSERT_TRUE(preferences.open(QIODevice::WriteOnly));
    preferences.write("user_pref(\"browser.aboutwelcome.enabled\", false);\n"
                      "user_pref(\"browser.startup.homepage_override.mstone\", \"ignore\");\n"
                      "user_pref(\"browser.shell.checkDefaultBrowser\", false);\n"
                      "user_pref(\"datareporting.policy.dataSubmissionEnabled\", false);\n"
                      "user_pref(\"toolkit.telemetry.reportingpolicy.firstRun\", false);\n");
    preferences.close();
    QUrl page = QUrl::fromLocalFile(QStringLiteral(QUILLORA_FIXTURES "/textarea.html"));
    page.setFragment(kBefore + kSelection + kAfter);
    const auto [editor, window] =
        startEditor(firefox, {QStringLiteral("--no-remote"), QStringLiteral("--new-instance"),
                              QStringLiteral("--profile"), profile, QStringLiteral("--width"), QStringLiteral("900"),
                              QStringLiteral("--height"), QStringLiteral("500"), page.toString(QUrl::FullyEncoded)});
    ASSERT_NE(editor, nullptr);
    useFirstVariationIn(editor, window, true);
    editor->kill();
    editor->waitForFinished(5000);
}

// A terminal as desktops ship it: its text is exposed through AT-SPI, and it pastes with its own
// default Ctrl+Shift+V.
TEST_F(DesktopLoopTest, UseInXfceTerminalPastesWithoutInterrupting)
{
    if (QStandardPaths::findExecutable(QStringLiteral("xfce4-terminal")).isEmpty()) {
        GTEST_SKIP() << "xfce4-terminal is not installed";
    }
    const QString received = session().scratchPath() + QStringLiteral("/xfce-received");
    const QString interrupted = session().scratchPath() + QStringLiteral("/xfce-interrupted");
    const auto [terminal, window] =
        startEditor(QStringLiteral("xfce4-terminal"),
                    {QStringLiteral("--disable-server"), QStringLiteral("--geometry"), QStringLiteral("70x4+60+60"),
                     QStringLiteral("-x"), QStringLiteral("/usr/bin/python3"),
                     QStringLiteral(QUILLORA_FIXTURES "/terminal_program.py"), kSelection, received, interrupted});
    ASSERT_NE(terminal, nullptr);
    ASSERT_NE(window, 0U);
    const std::optional<AXElementRef> text = driver().waitForElement(
        terminal->processId(), [](const QString& role, const QString&) { return role == QLatin1String("AXTextField"); },
        20000);
    ASSERT_TRUE(text) << "the terminal's text is not exposed through AT-SPI";
    ASSERT_TRUE(waitFor([&] { return driver().text(*text).contains(kSelection); }, 10000))
        << driver().text(*text).toStdString();
    const std::optional<DragSpan> span = spanOf(*text, driver().text(*text).indexOf(kSelection), kSelection.size());
    ASSERT_TRUE(span) << "no bounds for the selection";
    useFirstVariationInTerminal(terminal, window, span->from, span->to, received, interrupted);
    terminal->kill();
    terminal->waitForFinished(3000);
}

TEST_F(DesktopLoopTest, UseInXtermPastesWithoutInterruptingAndTheSelectionComesFromPrimary)
{
    const QString received = session().scratchPath() + QStringLiteral("/xterm-received");
    const QString interrupted = session().scratchPath() + QStringLiteral("/xterm-interrupted");
    constexpr int columns = 70;
    constexpr int rows = 4;
    const auto [terminal, window] = startEditor(
        QStringLiteral("xterm"),
        {QStringLiteral("-geometry"), QStringLiteral("%1x%2+60+60").arg(columns).arg(rows), QStringLiteral("-xrm"),
         QStringLiteral("XTerm*VT100.translations: #override Ctrl Shift <Key>C: copy-selection(CLIPBOARD)\\n"
                        "Ctrl Shift <Key>V: insert-selection(CLIPBOARD)"),
         QStringLiteral("-e"), QStringLiteral("/usr/bin/python3"),
         QStringLiteral(QUILLORA_FIXTURES "/terminal_program.py"), kSelection, received, interrupted});
    ASSERT_NE(terminal, nullptr);
    ASSERT_NE(window, 0U);
    const std::optional<QRect> area = driver().geometry(window);
    ASSERT_TRUE(area);
    pause(500);
    // xterm's cells: the text area less its 2-pixel inner border, split evenly.
    const double cellWidth = (area->width() - 4) / double(columns);
    const double cellHeight = (area->height() - 4) / double(rows);
    const int rowY = area->top() + 2 + int(cellHeight / 2);
    const QPoint from(area->left() + 2 + int(cellWidth / 2), rowY);
    const QPoint to(area->left() + 2 + int(cellWidth * (kSelection.size() + 2)), rowY);

    useFirstVariationInTerminal(terminal, window, from, to, received, interrupted);
    terminal->terminate();
    terminal->waitForFinished(3000);
}

} // namespace
} // namespace quillora::test
