#include "platform/linux/wayland/KWinCompositor.h"
#include "core/SimClock.h"
#include "platform/linux/wayland/KWinScript.h"
#include "support/EventLoopWait.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace quillora {
namespace {

TEST(KWinCompositorTest, OnlyACompleteAnswerWithOurTokenCounts)
{
    const QString token = QStringLiteral("c0ffee");
    const std::optional<KWinAnswer> full = KWinScript::parseAnswer(
        R"({"token": "c0ffee", "pointer": {"x": 959, "y": 539.5},
            "window": {"x": 700, "y": 362, "width": 600, "height": 400, "pid": 16128, "appId": "qtclick"}})",
        token);
    ASSERT_TRUE(full);
    EXPECT_EQ(full->pointer, QPointF(959, 539.5));
    EXPECT_EQ(full->window, (ForeignWindow{QRectF(700, 362, 600, 400), 16128, QStringLiteral("qtclick")}));

    // No active window, or one whose rectangle is incomplete: the pointer still counts.
    for (const char* json : {R"({"token": "c0ffee", "pointer": {"x": 1, "y": 2}})",
                             R"({"token": "c0ffee", "pointer": {"x": 1, "y": 2}, "window": {"x": 5, "y": 6}})"}) {
        EXPECT_EQ(KWinScript::parseAnswer(QString::fromUtf8(json), token), (KWinAnswer{QPointF(1, 2), std::nullopt}))
            << json;
    }
    for (const char* json : {R"({"token": "other", "pointer": {"x": 1, "y": 2}})", R"({"pointer": {"x": 1, "y": 2}})",
                             R"({"token": "c0ffee", "pointer": {"x": 1}})",
                             R"({"token": "c0ffee", "pointer": {"x": "1", "y": 2}})", "not json", "[]"}) {
        EXPECT_EQ(KWinScript::parseAnswer(QString::fromUtf8(json), token), std::nullopt) << json;
    }
    EXPECT_EQ(KWinScript::parseAnswer(R"({"token": "", "pointer": {"x": 1, "y": 2}})", QString()), std::nullopt);
}

// KWin's scripting interface as far as the compositor uses it: loading runs nothing; running a
// script reads its file and calls back whom the script names, the way KWin's `callDBus` would.
class FakeScripting final : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.kwin.Scripting")

public:
    enum class Behaviour { Answer, Silent, Forge };

    FakeScripting(QDBusConnection bus, bool numberedPaths)
        : m_bus(std::move(bus))
        , m_numberedPaths(numberedPaths)
    {
    }

    Behaviour behaviour = Behaviour::Answer;
    QStringList loaded;
    QStringList unloaded;
    int runs = 0;

public Q_SLOTS:
    int loadScript(const QString& path, const QString& pluginName);
    bool unloadScript(const QString& pluginName)
    {
        unloaded.append(pluginName);
        return true;
    }

public:
    void run(const QString& scriptPath)
    {
        ++runs;
        QFile file(scriptPath);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        const QString script = QString::fromUtf8(file.readAll());
        const QRegularExpressionMatch call =
            QRegularExpression(QStringLiteral("callDBus\\(\"([^\"]+)\", \"([^\"]+)\", \"([^\"]+)\", \"([^\"]+)\""))
                .match(script);
        const QString token = QRegularExpression(QStringLiteral("token: \"([^\"]+)\"")).match(script).captured(1);
        if (behaviour == Behaviour::Silent || !call.hasMatch()) {
            return;
        }
        const QString answer = QStringLiteral(R"({"token": "%1", "pointer": {"x": 12, "y": 34},
            "window": {"x": 10, "y": 20, "width": 300, "height": 200, "pid": 77, "appId": "kate"}})")
                                   .arg(behaviour == Behaviour::Forge ? QStringLiteral("forged") : token);
        QDBusMessage message =
            QDBusMessage::createMethodCall(call.captured(1), call.captured(2), call.captured(3), call.captured(4));
        message << answer;
        m_bus.send(message);
    }

private:
    QDBusConnection m_bus;
    bool m_numberedPaths;
    int m_nextId = 0;
    std::vector<std::unique_ptr<QObject>> m_scripts;
};

class FakeScript final : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.kwin.Script")

public:
    FakeScript(FakeScripting& owner, QString path)
        : m_owner(owner)
        , m_path(std::move(path))
    {
    }

public Q_SLOTS:
    void run() { m_owner.run(m_path); }

private:
    FakeScripting& m_owner;
    QString m_path;
};

int FakeScripting::loadScript(const QString& path, const QString& pluginName)
{
    loaded.append(pluginName);
    const int id = m_nextId++;
    auto script = std::make_unique<FakeScript>(*this, path);
    // KWin 5 names the script's object by number, KWin 6 under /Scripting.
    const QString objectPath =
        m_numberedPaths ? QStringLiteral("/%1").arg(id) : QStringLiteral("/Scripting/Script%1").arg(id);
    EXPECT_TRUE(m_bus.registerObject(objectPath, script.get(), QDBusConnection::ExportAllSlots));
    m_scripts.push_back(std::move(script));
    return id;
}

// A private session bus with a KWin stand-in on a connection of its own.
class KWinCompositorBusTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty()) {
            GTEST_SKIP() << "dbus-daemon is not installed";
        }
        ASSERT_TRUE(m_runtime.isValid());
        m_savedRuntime = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", m_runtime.path().toUtf8());
        m_daemon.start(daemon,
                       {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        ASSERT_TRUE(m_daemon.waitForReadyRead(10'000));
        const QString address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        m_ours = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address, QStringLiteral("quillora")));
        m_kwinBus = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address, QStringLiteral("kwin")));
        ASSERT_TRUE(m_ours->isConnected() && m_kwinBus->isConnected());
    }

    void TearDown() override
    {
        m_scripting.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("quillora"));
        QDBusConnection::disconnectFromBus(QStringLiteral("kwin"));
        if (m_daemon.state() != QProcess::NotRunning) {
            m_daemon.kill();
            m_daemon.waitForFinished();
        }
        qputenv("XDG_RUNTIME_DIR", m_savedRuntime);
    }

    FakeScripting& startKWin(bool numberedPaths)
    {
        m_scripting = std::make_unique<FakeScripting>(*m_kwinBus, numberedPaths);
        EXPECT_TRUE(m_kwinBus->registerService(QStringLiteral("org.kde.KWin")));
        EXPECT_TRUE(m_kwinBus->registerObject(QStringLiteral("/Scripting"), m_scripting.get(),
                                              QDBusConnection::ExportAllSlots));
        return *m_scripting;
    }

    // Handles here everything the KWin side sent so far: its reply to a ping comes after it.
    void settle()
    {
        const QDBusPendingCall ping = m_ours->asyncCall(
            QDBusMessage::createMethodCall(QStringLiteral("org.kde.KWin"), QStringLiteral("/Scripting"),
                                           QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping")));
        ASSERT_TRUE(test::waitUntil([&ping] { return ping.isFinished(); }));
        QCoreApplication::processEvents();
    }

    SimClock m_clock;
    QTemporaryDir m_runtime;
    QByteArray m_savedRuntime;
    QProcess m_daemon;
    std::unique_ptr<QDBusConnection> m_ours;
    std::unique_ptr<QDBusConnection> m_kwinBus;
    std::unique_ptr<FakeScripting> m_scripting;
};

TEST_F(KWinCompositorBusTest, QuestionsAskedTogetherShareOneScriptRunThatIsUnloadedAfter)
{
    FakeScripting& kwin = startKWin(false);
    KWinCompositor compositor(m_clock, *m_ours);
    auto pointer = test::start(compositor.pointerLocation());
    auto window = test::start(compositor.focusedWindow());
    ASSERT_TRUE(test::waitUntil([&] { return pointer->done() && window->done(); }));
    EXPECT_EQ(pointer->value(), std::optional<std::optional<QPointF>>(QPointF(12, 34)));
    EXPECT_EQ(window->value(), std::optional<std::optional<ForeignWindow>>(
                                   ForeignWindow{QRectF(10, 20, 300, 200), 77, QStringLiteral("kate")}));
    EXPECT_EQ(kwin.runs, 1);
    ASSERT_TRUE(test::waitUntil([&] { return kwin.unloaded.size() == 1; }));
    EXPECT_EQ(kwin.unloaded, kwin.loaded);

    auto again = test::start(compositor.pointerLocation());
    ASSERT_TRUE(test::waitUntil([&] { return again->done(); }));
    EXPECT_EQ(again->value(), std::optional<std::optional<QPointF>>(QPointF(12, 34)));
    EXPECT_EQ(kwin.runs, 2);
    EXPECT_EQ(m_clock.pendingTimers(), 0);
}

TEST_F(KWinCompositorBusTest, KWin5ScriptObjectsAreFoundByNumber)
{
    FakeScripting& kwin = startKWin(true);
    KWinCompositor compositor(m_clock, *m_ours);
    for (int round = 1; round <= 2; ++round) {
        auto window = test::start(compositor.focusedWindow());
        ASSERT_TRUE(test::waitUntil([&] { return window->done(); }));
        ASSERT_TRUE(window->value() && *window->value()) << round;
        EXPECT_EQ((*window->value())->pid, 77);
        EXPECT_EQ(kwin.runs, round);
    }
}

TEST_F(KWinCompositorBusTest, ASilentOrForgedAnswerEndsInNoneAtTheTimeOut)
{
    FakeScripting& kwin = startKWin(false);
    KWinCompositor compositor(m_clock, *m_ours);
    for (const FakeScripting::Behaviour behaviour :
         {FakeScripting::Behaviour::Silent, FakeScripting::Behaviour::Forge}) {
        kwin.behaviour = behaviour;
        const int runs = kwin.runs;
        auto pointer = test::start(compositor.pointerLocation());
        ASSERT_TRUE(test::waitUntil([&] { return kwin.runs == runs + 1; }));
        settle();
        EXPECT_FALSE(pointer->done());
        m_clock.advance(KWinCompositor::timeoutSeconds);
        ASSERT_TRUE(pointer->done());
        EXPECT_EQ(pointer->value(), std::optional<std::optional<QPointF>>(std::in_place, std::nullopt));
        ASSERT_TRUE(test::waitUntil([&] { return kwin.unloaded.size() == kwin.loaded.size(); }));
    }
}

TEST_F(KWinCompositorBusTest, WithoutKWinOnTheBusTheAnswerIsNoneAtOnce)
{
    KWinCompositor compositor(m_clock, *m_ours);
    auto pointer = test::start(compositor.pointerLocation());
    ASSERT_TRUE(test::waitUntil([&] { return pointer->done(); }));
    EXPECT_EQ(pointer->value(), std::optional<std::optional<QPointF>>(std::in_place, std::nullopt));

    KWinCompositor disconnected(m_clock, QDBusConnection(QStringLiteral("quillora-no-such-connection")));
    auto none = test::start(disconnected.focusedWindow());
    EXPECT_TRUE(none->done());
}

} // namespace
} // namespace quillora

#include "KWinCompositorTest.moc"
