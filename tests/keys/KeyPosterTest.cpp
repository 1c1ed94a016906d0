#include "keys/KeyPoster.h"
#include "KeyPrinters.h"
#include "core/ErrorRecord.h"
#include "keys/KeyPosterError.h"
#include "support/SimDesktopTest.h"

#include <gtest/gtest.h>

namespace quillora {
namespace {

using KeyPosterTest = SimDesktopTest;

RunningApplication app(qint64 pid, const QString& name)
{
    RunningApplication application;
    application.pid = pid;
    application.localizedName = name;
    return application;
}

// The key-down and key-up pair that one event becomes.
QList<PostedKeyEvent> pressed(int code, quint64 flags, std::optional<qint64> pid = std::nullopt)
{
    return {{code, true, flags, pid}, {code, false, flags, pid}};
}

template <typename Call> QString keyPosterErrorOf(Call call)
{
    try {
        call();
    } catch (const KeyPosterError& error) {
        return error.localizedDescription();
    }
    return QStringLiteral("(no error)");
}

TEST_F(KeyPosterTest, EachEventPostsKeyDownThenKeyUpWithTheUnionOfItsModifierFlagsUnlessTheSinkRefusesIt)
{
    KeyPoster(Key::v, Modifier::command).sendGlobally();
    EXPECT_EQ(desktop().keyEventSink().events(), pressed(9, 0x100000));

    desktop().keyEventSink().clear();
    KeyPoster(KeyEvent(Key::a, Modifier::command, Modifier::shift, Modifier::command), KeyEvent(Key::b)).sendGlobally();
    EXPECT_EQ(desktop().keyEventSink().events(), pressed(0, 0x120000) + pressed(11, 0));

    desktop().keyEventSink().clear();
    KeyPoster(Key::v, Modifier::command).sendGlobally(KeyUp::Omit);
    EXPECT_EQ(desktop().keyEventSink().events(), (QList<PostedKeyEvent>{{9, true, 0x100000, std::nullopt}}));

    // Events the sink refuses are skipped, the others still go.
    desktop().keyEventSink().clear();
    desktop().keyEventSink().setUnmappableKeys({9});
    KeyPoster(KeyEvent(Key::a), KeyEvent(Key::v, Modifier::command), KeyEvent(Key::b)).sendGlobally();
    EXPECT_EQ(desktop().keyEventSink().events(), pressed(0, 0) + pressed(11, 0));
}

TEST_F(KeyPosterTest, TextBecomesOneEventPerCharacterWithShiftForUpperCaseOrNoPosterAtAll)
{
    const struct
    {
        QString text;
        QList<KeyEvent> events;
    } rows[] = {
        {QString(), {}},
        {QStringLiteral("a\n"), {KeyEvent(Key::a), KeyEvent(Key::keypadEnter)}},
        {QStringLiteral("Ab"), {KeyEvent(Key::a, Modifier::shift), KeyEvent(Key::b)}},
        {QStringLiteral("F5"), {KeyEvent(Key::f, Modifier::shift), KeyEvent(Key::five)}},
        // One character of two UTF-16 units.
        {QString::fromUcs4(U"\U0010FFEE"), {KeyEvent(Key::volumeUp)}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(KeyPoster(row.text).events(), row.events) << row.text.toStdString();
    }

    KeyPoster(QString()).sendGlobally();
    EXPECT_TRUE(desktop().keyEventSink().events().isEmpty());

    // One untypable character makes no poster; "\r\n" is one character, and so is "e" with an accent.
    for (const QString& text : {QStringLiteral("!"), QStringLiteral("ab!"), QStringLiteral("a\r\nb"),
                                QStringLiteral("e\u0301"), QStringLiteral("英数")}) {
        EXPECT_EQ(keyPosterErrorOf([&] { (void)KeyPoster(text); }),
                  QStringLiteral("Invalid character. Cannot create key event."))
            << text.toStdString();
    }
}

TEST_F(KeyPosterTest, ApplicationTargetsResolveThroughTheWorkspace)
{
    SimWorkspace& workspace = desktop().workspace();
    workspace.addApplication(app(10, QStringLiteral("TextEdit")));
    workspace.addApplication(app(20, QStringLiteral("Notes")));
    workspace.addApplication(app(30, QStringLiteral("Notes")));
    RunningApplication unnamed;
    unnamed.pid = 40;
    workspace.addApplication(unnamed);
    const KeyPoster poster(Key::c, Modifier::command);
    const auto sent = [&] {
        QList<PostedKeyEvent> events = desktop().keyEventSink().events();
        desktop().keyEventSink().clear();
        return events;
    };

    poster.send(app(30, QStringLiteral("ignored")));
    EXPECT_EQ(sent(), pressed(8, 0x100000, 30));
    poster.send(QStringLiteral("Notes"));
    EXPECT_EQ(sent(), pressed(8, 0x100000, 20));
    poster.trySend(QStringLiteral("TextEdit"), KeyUp::Omit);
    EXPECT_EQ(sent(), (QList<PostedKeyEvent>{{8, true, 0x100000, 10}}));

    EXPECT_EQ(keyPosterErrorOf([&] { poster.send(QStringLiteral("notes")); }),
              QStringLiteral("Application with name \"notes\" either does not exist, or is not currently running."));
    poster.trySend(QStringLiteral("Missing"));
    EXPECT_EQ(keyPosterErrorOf([&] { poster.sendToFrontmostApplication(); }),
              QStringLiteral("No frontmost application exists."));
    EXPECT_TRUE(sent().isEmpty());

    workspace.setFrontmost(20);
    poster.sendToFrontmostApplication();
    EXPECT_EQ(sent(), pressed(8, 0x100000, 20));

    poster.sendToAllApplications();
    EXPECT_EQ(sent(), pressed(8, 0x100000, 10) + pressed(8, 0x100000, 20) + pressed(8, 0x100000, 30) +
                          pressed(8, 0x100000, 40));
}

TEST_F(KeyPosterTest, SendWhereTestsEveryApplicationBeforePostingAndPassesOnItsError)
{
    for (const qint64 pid : {10, 20, 30}) {
        desktop().workspace().addApplication(app(pid, QStringLiteral("App %1").arg(pid)));
    }
    const KeyPoster poster(Key::escape);

    poster.send([](const RunningApplication& application) { return application.pid != 20; });
    EXPECT_EQ(desktop().keyEventSink().events(), pressed(53, 0, 10) + pressed(53, 0, 30));
    desktop().keyEventSink().clear();

    EXPECT_EQ(keyPosterErrorOf([&] {
                  poster.send([](const RunningApplication& application) -> bool {
                      if (application.pid == 20) {
                          throw KeyPosterError(QStringLiteral("test failed"));
                      }
                      return true;
                  });
              }),
              QStringLiteral("test failed"));
    EXPECT_TRUE(desktop().keyEventSink().events().isEmpty());
}

TEST_F(KeyPosterTest, OpenApplicationAndSendLaunchesUntilTheApplicationRunsWithinABound)
{
    SimWorkspace& workspace = desktop().workspace();
    const KeyPoster poster(Key::v, Modifier::command);

    // Not running: one launch brings it up, then the keys go to it.
    workspace.setLaunchHandler([&](const QString& name) { workspace.addApplication(app(50, name)); });
    poster.openApplicationAndSend(QStringLiteral("Notes"));
    EXPECT_EQ(workspace.launchedNames(), QStringList{QStringLiteral("Notes")});
    EXPECT_EQ(desktop().keyEventSink().events(), pressed(9, 0x100000, 50));

    // Already running: no launch.
    poster.openApplicationAndSend(QStringLiteral("Notes"));
    EXPECT_EQ(workspace.launchedNames().size(), 1);

    // The launched application never shows up under that name: bounded, then an error.
    workspace.setLaunchHandler([](const QString&) {});
    desktop().keyEventSink().clear();
    EXPECT_EQ(keyPosterErrorOf([&] { poster.openApplicationAndSend(QStringLiteral("gedit")); }),
              QStringLiteral("Application with name \"gedit\" is still not running after launching it 3 times."));
    EXPECT_EQ(workspace.launchedNames().count(QStringLiteral("gedit")), KeyPoster::maximumLaunches);
    EXPECT_TRUE(desktop().keyEventSink().events().isEmpty());

    // A launch that fails passes its error on at once.
    workspace.setLaunchHandler({});
    EXPECT_THROW(poster.openApplicationAndSend(QStringLiteral("Nothing")), ErrorRecord);
    EXPECT_EQ(workspace.launchedNames().count(QStringLiteral("Nothing")), 1);
}

TEST_F(KeyPosterTest, SelectAllPostsCommandAGlobally)
{
    // Copy and paste are seen through the simulated applications that act on them.
    KeyPoster::selectAll();
    EXPECT_EQ(desktop().keyEventSink().events(), pressed(0, 0x100000));
}

} // namespace
} // namespace quillora
