// What `quillora` costs while it sits in the tray: its resident set with the main window closed,
// and the CPU it uses over 30 idle seconds. The program runs as users run it, on a private X server
// with its own session bus, a window manager and a tray host; the history window is closed
// through the window manager once it has appeared. Goals: under 60 MB and under 0.5 % of one core.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <functional>
#include <list>
#include <memory>

namespace {

constexpr double kIdleSeconds = 30;

/** Processes started for one run, ended in reverse order when it is over. */
class Session
{
public:
    ~Session()
    {
        for (auto it = m_processes.rbegin(); it != m_processes.rend(); ++it) {
            (*it)->terminate();
            if (!(*it)->waitForFinished(5000)) {
                (*it)->kill();
                (*it)->waitForFinished(2000);
            }
        }
    }

    /** Starts `program`; its output is dropped unless `readOutput`. */
    QProcess& start(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment,
                    bool readOutput = false)
    {
        auto& process = *m_processes.emplace_back(std::make_unique<QProcess>());
        process.setProcessEnvironment(environment);
        process.setStandardErrorFile(QProcess::nullDevice());
        if (!readOutput) {
            process.setStandardOutputFile(QProcess::nullDevice());
        }
        process.start(program, arguments);
        process.waitForStarted(5000);
        return process;
    }

private:
    std::list<std::unique_ptr<QProcess>> m_processes;
};

/** Polls `condition` every 0.1 s for at most `seconds`. */
bool waitFor(double seconds, const std::function<bool()>& condition)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > seconds * 1000) {
            return false;
        }
        QThread::msleep(100);
    }
    return true;
}

QString output(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    process.waitForFinished(5000);
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

// Resident set of `pid` in MiB, from /proc/<pid>/statm.
double residentMiB(qint64 pid)
{
    QFile statm(QStringLiteral("/proc/%1/statm").arg(pid));
    if (!statm.open(QIODevice::ReadOnly)) {
        return 0;
    }
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() < 2 ? 0 : fields.at(1).toDouble() * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// User plus system CPU time of `pid` in seconds, from /proc/<pid>/stat.
double cpuSeconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) {
        return 0;
    }
    const QByteArray line = stat.readAll();
    // The fields after the command name, which is in parentheses and may hold spaces.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    return (fields.value(11).toDouble() + fields.value(12).toDouble()) / double(sysconf(_SC_CLK_TCK));
}

void BM_QuilloraIdle(benchmark::State& state)
{
    for (auto _ : state) {
        QTemporaryDir home;
        QDir(home.path()).mkpath(QStringLiteral("runtime"));
        QFile::setPermissions(home.filePath(QStringLiteral("runtime")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.filePath(QStringLiteral("runtime")));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));

        Session session;
        const QString display = QStringLiteral(":%1").arg(90 + getpid() % 100);
        session.start(QStringLiteral("Xvfb"),
                      {display, QStringLiteral("-screen"), QStringLiteral("0"), QStringLiteral("1280x900x24"),
                       QStringLiteral("-nolisten"), QStringLiteral("tcp")},
                      environment);
        environment.insert(QStringLiteral("DISPLAY"), display);
        if (!waitFor(10, [&] {
                return !output(QStringLiteral("xwininfo"), {QStringLiteral("-root")}, environment).isEmpty();
            })) {
            state.SkipWithError("Xvfb could not be started");
            return;
        }
        QProcess& bus =
            session.start(QStringLiteral("dbus-daemon"),
                          {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address")},
                          environment, true);
        bus.setReadChannel(QProcess::StandardOutput);
        bus.waitForReadyRead(5000);
        const QString address = QString::fromLatin1(bus.readLine().trimmed());
        if (address.isEmpty()) {
            state.SkipWithError("the session bus could not be started");
            return;
        }
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
        session.start(QStringLiteral("openbox"), {}, environment);
        session.start(
            QStringLiteral("trayer"),
            {QStringLiteral("--edge"), QStringLiteral("top"), QStringLiteral("--height"), QStringLiteral("24")},
            environment);
        waitFor(10, [&] {
            return output(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")}, environment)
                .contains(QStringLiteral("(\"panel\" \"trayer\")"));
        });

        QProcess& quillora =
            session.start(QStringLiteral(QUILLORA_PROGRAM), {QStringLiteral("--uitesting")}, environment);
        const auto historyShown = [&] {
            return !output(QStringLiteral("xdotool"),
                           {QStringLiteral("search"), QStringLiteral("--name"), QStringLiteral("^Quillora History$")},
                           environment)
                        .trimmed()
                        .isEmpty();
        };
        if (!waitFor(30, historyShown)) {
            state.SkipWithError("quillora showed no window");
            return;
        }
        output(QStringLiteral("wmctrl"), {QStringLiteral("-c"), QStringLiteral("Quillora History")}, environment);
        if (!waitFor(10, [&] { return !historyShown(); }) || quillora.state() != QProcess::Running) {
            state.SkipWithError("the history window could not be closed with quillora running on");
            return;
        }
        // Settle: start-up work (the preset load, deferred deletions) is over after a few seconds.
        QThread::sleep(3);
        const qint64 pid = quillora.processId();
        const double rss = residentMiB(pid);
        const double cpuBefore = cpuSeconds(pid);
        QThread::msleep(static_cast<unsigned long>(kIdleSeconds * 1000));
        const double cpu = cpuSeconds(pid) - cpuBefore;
        state.counters["rss_MiB"] = rss;
        state.counters["idle_cpu_percent"] = 100.0 * cpu / kIdleSeconds;
    }
}
BENCHMARK(BM_QuilloraIdle)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
