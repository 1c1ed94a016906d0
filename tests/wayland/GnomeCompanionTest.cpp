// Quillora's GNOME Shell companion extension, installed in a headless GNOME Shell: it answers the
// program named quillora (a stand-in caller) about the pointer, the focused window and the primary
// selection, pastes into GTK 3 and Qt 6 editors, reports a shortcut, and refuses every other program.
#include "GnomeShellCompositor.h"
#include "MutterRemoteDesktop.h"
#include "VirtualPointer.h"
#include "WaylandDesktopTest.h"
#include "WaylandSession.h"
#include "WaylandTestEnvironment.h"
#include "support/QtPrinters.h"
#include "support/WaitFor.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

#include <X11/keysym.h>

#include <map>
#include <utility>

namespace quillora::test {
namespace {

const QString kService = QStringLiteral("org.gnome.Shell");
const QString kPath = QStringLiteral("/com/tessel/quillora/ShellCompanion");
const QString kInterface = QStringLiteral("com.tessel.quillora.ShellCompanion1");
const QString kAccessDenied = QStringLiteral("org.freedesktop.DBus.Error.AccessDenied");
const QString kShortcut = QStringLiteral("<Control><Alt>space");

/** The stand-in caller named quillora, started in the session: one call a line, one answer a line. */
class CallerProcess final
{
public:
    explicit CallerProcess(const QString& program)
        : m_process(WaylandTestEnvironment::session().launch(program, {}))
    {
        m_ready = m_process != nullptr && waitFor([this] { return take(QStringLiteral("ready")).has_value(); }, 10000);
    }

    [[nodiscard]] bool ready() const { return m_ready; }
    [[nodiscard]] qint64 pid() const { return m_process->processId(); }

    /** Makes the call on `line` and returns its answer after the method's name; empty when none came. */
    QString ask(const QString& line)
    {
        const QString method = line.section(QLatin1Char(' '), 0, 0);
        m_process->write((line + QLatin1Char('\n')).toUtf8());
        std::optional<QString> answer;
        waitFor([&] { return (answer = take(method + QLatin1Char(' '))).has_value(); }, 10000);
        return answer ? answer->mid(method.size() + 1) : QString();
    }

    /** How often the companion sent the signal `name` since the last call. */
    int takeSignals(const QString& name)
    {
        static_cast<void>(take(QString()));
        return int(std::exchange(m_signals[name], 0));
    }

    /** Ends the caller by closing its input, as any program's connection closes when it ends. */
    void end()
    {
        m_process->closeWriteChannel();
        m_process->waitForFinished(5000);
    }

private:
    /** Reads what the caller printed and returns the first answer starting with `prefix`, if any. */
    std::optional<QString> take(const QString& prefix)
    {
        while (m_process->canReadLine()) {
            const QString line = QString::fromUtf8(m_process->readLine()).chopped(1);
            if (line.startsWith(QLatin1String("signal "))) {
                ++m_signals[line.mid(7)];
            } else {
                m_answers << line;
            }
        }
        for (qsizetype index = 0; index < m_answers.size() && !prefix.isEmpty(); ++index) {
            if (m_answers.at(index).startsWith(prefix)) {
                return m_answers.takeAt(index);
            }
        }
        return std::nullopt;
    }

    QProcess* m_process = nullptr;
    bool m_ready = false;
    QStringList m_answers;
    std::map<QString, int> m_signals;
};

class GnomeCompanionTest : public WaylandDesktopTest
{
protected:
    void SetUp() override
    {
        m_shell = dynamic_cast<GnomeShellCompositor*>(&compositor());
        if (m_shell == nullptr) {
            GTEST_SKIP() << "the companion is GNOME Shell's: run with --compositor=gnome";
        }
        const std::optional<QString> state = m_shell->evaluate(
            QStringLiteral("Main.extensionManager.lookup('%1')?.state").arg(GnomeShellCompositor::kExtensionUuid));
        // 1 is ExtensionState.ENABLED.
        ASSERT_EQ(state, QStringLiteral("1")) << "the extension is not enabled";
    }

    static QString callerProgram() { return QStringLiteral(QUILLORA_COMPANION_CALLER); }

    /** Puts `text` on the clipboard as another application would. */
    void setClipboard(const QString& text)
    {
        const QByteArray quoted = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
        ASSERT_TRUE(m_shell->evaluate(QStringLiteral("imports.gi.St.Clipboard.get_default().set_text("
                                                     "imports.gi.St.ClipboardType.CLIPBOARD, %1[0])")
                                          .arg(QString::fromUtf8(quoted))));
    }

    /** Whether the shell could grab `accelerator` now: it cannot while anyone holds it. */
    bool acceleratorIsFree(const QString& accelerator)
    {
        return m_shell
                   ->evaluate(QStringLiteral("(action => { global.display.ungrab_accelerator(action); "
                                             "return action !== 0; })(global.display.grab_accelerator('%1', 0))")
                                  .arg(accelerator))
                   .value_or(QString()) == QLatin1String("true");
    }

    GnomeShellCompositor* m_shell = nullptr;
};

TEST_F(GnomeCompanionTest, RefusesEveryProgramButTheOneNamedQuillora)
{
    const std::vector<std::pair<QString, QVariantList>> calls{
        {QStringLiteral("GetPointer"), {}},  {QStringLiteral("GetFocusedWindow"), {}},
        {QStringLiteral("ReadPrimary"), {}}, {QStringLiteral("PostKeys"), {QStringLiteral("ctrl+v")}},
        {QStringLiteral("Subscribe"), {}},   {QStringLiteral("SetShortcut"), {kShortcut}},
    };
    for (const auto& [method, arguments] : calls) {
        QDBusMessage message = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
        message.setArguments(arguments);
        const QDBusMessage reply = QDBusConnection::sessionBus().call(message, QDBus::Block, 10000);
        EXPECT_EQ(reply.errorName(), kAccessDenied) << method.toStdString() << " answered this test program";
    }
    EXPECT_TRUE(acceleratorIsFree(kShortcut)) << "a refused SetShortcut grabbed the shortcut";

    // The right name is accepted only while the executable behind it exists: once it is deleted,
    // its link ends in " (deleted)".
    const QString copy = session().scratchPath() + QStringLiteral("/deleted/quillora");
    QDir().mkpath(QFileInfo(copy).path());
    ASSERT_TRUE(QFile::copy(callerProgram(), copy));
    CallerProcess caller(copy);
    ASSERT_TRUE(caller.ready());
    EXPECT_EQ(caller.ask(QStringLiteral("Version")), QStringLiteral("reply 1"));
    EXPECT_EQ(caller.ask(QStringLiteral("ReadPrimary")).section(QLatin1Char(' '), 0, 0), QStringLiteral("reply"));
    ASSERT_TRUE(QFile::remove(copy));
    EXPECT_EQ(caller.ask(QStringLiteral("ReadPrimary")), QStringLiteral("error ") + kAccessDenied);
    caller.end();
}

TEST_F(GnomeCompanionTest, TellsQuilloraThePointerTheWindowAndTheSelectionAndPastesAndReportsItsShortcut)
{
    CallerProcess caller(callerProgram());
    ASSERT_TRUE(caller.ready());
    ASSERT_EQ(caller.ask(QStringLiteral("Subscribe")), QStringLiteral("reply"));
    const std::optional<Editor> editor = startEditor(Toolkit::Gtk3);
    ASSERT_TRUE(editor);

    // The pointer as the shell sees it, in the desktop's coordinates.
    for (const QPoint point : {QPoint(640, 480), QPoint(1500, 90)}) {
        ASSERT_TRUE(compositor().pointer().moveTo(point));
        EXPECT_EQ(caller.ask(QStringLiteral("GetPointer")),
                  QStringLiteral("reply %1 %2").arg(point.x()).arg(point.y()));
    }

    // The focused window: the editor's, framed inside its surface (which adds the shadows) on screen.
    const QStringList window = caller.ask(QStringLiteral("GetFocusedWindow")).split(QLatin1Char(' '));
    ASSERT_EQ(window.size(), 12) << window.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(window.at(1), QStringLiteral("true"));
    const auto rect = [&window](int first) {
        return QRect(window.at(first).toInt(), window.at(first + 1).toInt(), window.at(first + 2).toInt(),
                     window.at(first + 3).toInt());
    };
    const QRect frame = rect(2);
    EXPECT_FALSE(frame.isEmpty());
    EXPECT_TRUE(QRect(0, 0, 1920, 1080).contains(frame));
    EXPECT_TRUE(rect(6).contains(frame));
    EXPECT_EQ(window.at(10).toLongLong(), editor->pid);

    // A drag selects the second line: the primary selection changes, and holds the line.
    static_cast<void>(caller.takeSignals(QStringLiteral("PrimaryChanged")));
    ASSERT_TRUE(selectSecondLine(*editor));
    EXPECT_TRUE(waitFor([&] { return caller.takeSignals(QStringLiteral("PrimaryChanged")) > 0; }, 5000))
        << "the subscriber heard of no change of the primary selection";
    EXPECT_EQ(caller.ask(QStringLiteral("ReadPrimary")), QStringLiteral("reply ") + kSecondLine);

    // Ctrl+V pastes the clipboard over the selection; no other combination is posted.
    const QString pasted = QStringLiteral("Could we move the meeting to Friday?");
    setClipboard(pasted);
    for (const QString& refused : {QStringLiteral("ctrl+a"), QStringLiteral("CTRL+V"), QStringLiteral("alt+F4")}) {
        EXPECT_EQ(caller.ask(QStringLiteral("PostKeys ") + refused),
                  QStringLiteral("error org.freedesktop.DBus.Error.InvalidArgs"))
            << refused.toStdString();
    }
    EXPECT_EQ(caller.ask(QStringLiteral("PostKeys ctrl+v")), QStringLiteral("reply"));
    const QString expected = kFirstLine + QLatin1Char('\n') + pasted + QLatin1Char('\n') + kThirdLine;
    EXPECT_TRUE(waitFor([&] { return accessibility().text(editor->text) == expected; }, 5000))
        << "the GTK editor holds \"" << accessibility().text(editor->text).toStdString() << "\"";
    stopEditor(*editor);

    // Qt takes the same keys: the clipboard lands at its cursor.
    const std::optional<Editor> qtEditor = startEditor(Toolkit::Qt6);
    ASSERT_TRUE(qtEditor);
    EXPECT_EQ(caller.ask(QStringLiteral("PostKeys ctrl+v")), QStringLiteral("reply"));
    EXPECT_TRUE(waitFor([&] { return accessibility().text(qtEditor->text).contains(pasted); }, 5000))
        << "the Qt editor holds \"" << accessibility().text(qtEditor->text).toStdString() << "\"";
    stopEditor(*qtEditor);

    // A shortcut the shell already binds cannot be had; a free one reaches the subscriber when typed.
    EXPECT_EQ(caller.ask(QStringLiteral("SetShortcut <Alt>Tab")), QStringLiteral("reply false"));
    ASSERT_EQ(caller.ask(QStringLiteral("SetShortcut ") + kShortcut), QStringLiteral("reply true"));
    EXPECT_FALSE(acceleratorIsFree(kShortcut));
    static_cast<void>(caller.takeSignals(QStringLiteral("ShortcutActivated")));
    ASSERT_TRUE(m_shell->remoteDesktop().pressCombination({XK_Control_L, XK_Alt_L, XK_space}));
    EXPECT_TRUE(waitFor([&] { return caller.takeSignals(QStringLiteral("ShortcutActivated")) == 1; }, 5000))
        << "the subscriber heard nothing of its shortcut";

    // The shortcut goes with the program that set it.
    caller.end();
    EXPECT_TRUE(waitFor([&] { return acceleratorIsFree(kShortcut); }, 5000))
        << "the shortcut stayed grabbed after its program ended";
}

} // namespace
} // namespace quillora::test
