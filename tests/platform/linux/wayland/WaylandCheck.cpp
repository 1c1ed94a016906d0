// Checks the Wayland backends against a running compositor, by hand, in its session's environment:
//   wayland_check probe              the session probe and the capability rows
//   wayland_check sway [COUNT]       sway's focused window, COUNT times, with the time each took
//   wayland_check kwin [COUNT]       KWin's pointer and active window, COUNT times, timed
//   wayland_check keys KEY...        posts keys through KWin's fake input ("command+v", "a", "return")
//   wayland_check primary [SECONDS]  prints each new primary selection's text
#include "core/Detached.h"
#include "core/EventLoopClock.h"
#include "keys/Key.h"
#include "keys/Modifier.h"
#include "platform/linux/session/CapabilityReport.h"
#include "platform/linux/session/SessionProbe.h"
#include "platform/linux/wayland/KWinCompositor.h"
#include "platform/linux/wayland/KWinFakeInputKeySink.h"
#include "platform/linux/wayland/SwayCompositor.h"
#include "platform/linux/wayland/WlrPrimarySelection.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>

#include <cstdio>

namespace quillora {
namespace {

void print(const QString& line)
{
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

QString describe(const std::optional<ForeignWindow>& window)
{
    if (!window) {
        return QStringLiteral("none");
    }
    return QStringLiteral("%1,%2 %3x%4 pid %5 app %6")
        .arg(window->frame.x())
        .arg(window->frame.y())
        .arg(window->frame.width())
        .arg(window->frame.height())
        .arg(window->pid)
        .arg(window->appId);
}

QString describe(const std::optional<QPointF>& point)
{
    return point ? QStringLiteral("%1,%2").arg(point->x()).arg(point->y()) : QStringLiteral("none");
}

int probe()
{
    QElapsedTimer timer;
    timer.start();
    SessionInfo info = SessionProbe::probe();
    const qint64 elapsed = timer.elapsed();
    info.accessibilityBus =
        QDBusConnection::sessionBus().interface()->isServiceRegistered(QStringLiteral("org.a11y.Bus")).value();
    print(QStringLiteral("probe took %1 ms; kind %2 compositor %3 answers %4 kwinScripting %5 swayIpc %6 xwayland %7")
              .arg(elapsed)
              .arg(int(info.kind))
              .arg(int(info.compositor))
              .arg(info.waylandAnswers)
              .arg(info.kwinScripting)
              .arg(info.swayIpc)
              .arg(info.xwayland));
    print(QStringLiteral("globals: ") + info.waylandGlobals.join(QLatin1Char(' ')));
    const DesktopCapabilities capabilities = describeCapabilities(info);
    print(QStringLiteral("session: ") + capabilities.session);
    for (const DesktopCapability& item : capabilities.items) {
        print(QStringLiteral("  %1: %2 (%3)").arg(item.name, item.available ? "yes" : "no", item.detail));
    }
    return 0;
}

QCoro::Task<> askRepeatedly(Compositor& compositor, int count, bool withPointer)
{
    for (int round = 0; round < count; ++round) {
        QElapsedTimer timer;
        timer.start();
        const std::optional<ForeignWindow> window = co_await compositor.focusedWindow();
        const qint64 windowMicros = timer.nsecsElapsed() / 1000;
        QString line = QStringLiteral("window %1 in %2 us").arg(describe(window)).arg(windowMicros);
        if (withPointer) {
            timer.restart();
            const std::optional<QPointF> pointer = co_await compositor.pointerLocation();
            line += QStringLiteral("; pointer %1 in %2 us").arg(describe(pointer)).arg(timer.nsecsElapsed() / 1000);
        }
        print(line);
    }
    QCoreApplication::quit();
}

std::optional<PostedKeyEvent> parseKey(const QString& spec)
{
    QStringList parts = spec.split(QLatin1Char('+'));
    const std::optional<Key> key = Key::fromCaseName(parts.takeLast());
    if (!key) {
        return std::nullopt;
    }
    PostedKeyEvent event{key->rawValue(), true, 0, std::nullopt};
    for (const QString& name : parts) {
        const std::optional<Modifier> modifier = Modifier::fromCaseName(name);
        if (!modifier) {
            return std::nullopt;
        }
        event.flags |= modifier->eventFlag();
    }
    return event;
}

int postKeys(const QStringList& specs)
{
    KWinFakeInputKeySink sink;
    print(QStringLiteral("fake input offered: %1").arg(sink.canPost()));
    // KWin may drop the first events of a new connection.
    QThread::msleep(300);
    for (const QString& spec : specs) {
        std::optional<PostedKeyEvent> event = parseKey(spec);
        if (!event) {
            print(QStringLiteral("unknown key ") + spec);
            return 2;
        }
        const bool down = sink.post(*event);
        event->keyDown = false;
        const bool up = sink.post(*event);
        print(QStringLiteral("%1: down %2 up %3").arg(spec).arg(down).arg(up));
        QThread::msleep(50);
    }
    return 0;
}

} // namespace
} // namespace quillora

int main(int argc, char** argv)
{
    using namespace quillora;
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    const QString command = arguments.value(0);
    const int count = arguments.value(1, QStringLiteral("1")).toInt();
    EventLoopClock clock;
    if (command == QLatin1String("probe")) {
        return probe();
    }
    if (command == QLatin1String("keys")) {
        return postKeys(arguments.mid(1));
    }
    std::unique_ptr<Compositor> compositor;
    if (command == QLatin1String("sway")) {
        compositor = std::make_unique<SwayCompositor>(clock, qEnvironmentVariable("SWAYSOCK"));
    } else if (command == QLatin1String("kwin")) {
        compositor = std::make_unique<KWinCompositor>(clock, QDBusConnection::sessionBus());
    }
    if (compositor) {
        runDetached(askRepeatedly(*compositor, count, command == QLatin1String("kwin")));
        return app.exec();
    }
    if (command == QLatin1String("primary")) {
        WlrPrimarySelection selection;
        print(QStringLiteral("data control with primary: %1").arg(selection.isAvailable()));
        selection.beginGesture();
        selection.setOfferHandler([&selection] {
            QElapsedTimer timer;
            timer.start();
            const std::optional<QString> text = selection.textChangedDuringGesture();
            print(QStringLiteral("primary: %1 (read in %2 us)")
                      .arg(text ? QStringLiteral("'%1'").arg(*text) : QStringLiteral("none"))
                      .arg(timer.nsecsElapsed() / 1000));
            selection.beginGesture();
        });
        QTimer::singleShot(count * 1000, &app, &QCoreApplication::quit);
        return app.exec();
    }
    print(QStringLiteral("usage: wayland_check probe | sway [COUNT] | kwin [COUNT] | keys KEY... | primary [SECONDS]"));
    return 2;
}
