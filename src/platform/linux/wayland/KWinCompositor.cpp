#include "platform/linux/wayland/KWinCompositor.h"

#include "core/AsyncEvent.h"
#include "core/Clock.h"
#include "platform/linux/wayland/KWinAnswerReceiver.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFile>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <utility>

namespace quillora {

struct KWinCompositor::Round
{
    AsyncEvent done;
    std::optional<KWinAnswer> answer;
    Timer timeout;
};

namespace {

const QString kKWinService = QStringLiteral("org.kde.KWin");
const QString kScriptingPath = QStringLiteral("/Scripting");
const QString kScriptingInterface = QStringLiteral("org.kde.kwin.Scripting");
constexpr int kTimeoutMs = int(KWinCompositor::timeoutSeconds * 1000);

QDBusMessage scriptingCall(const QString& method, const QVariantList& arguments)
{
    QDBusMessage message = QDBusMessage::createMethodCall(kKWinService, kScriptingPath, kScriptingInterface, method);
    message.setArguments(arguments);
    message.setAutoStartService(false);
    return message;
}

QString randomToken()
{
    QByteArray bytes(16, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(bytes.data()), bytes.size() / 4);
    return QString::fromLatin1(bytes.toHex());
}

} // namespace

KWinCompositor::KWinCompositor(Clock& clock, QDBusConnection bus)
    : m_clock(clock)
    , m_bus(std::move(bus))
{
}

KWinCompositor::~KWinCompositor()
{
    finish(std::nullopt);
    if (m_receiver) {
        m_bus.unregisterObject(m_objectPath);
    }
}

QCoro::Task<std::optional<QPointF>> KWinCompositor::pointerLocation()
{
    const std::optional<KWinAnswer> answer = co_await ask();
    co_return answer ? answer->pointer : std::nullopt;
}

QCoro::Task<std::optional<ForeignWindow>> KWinCompositor::focusedWindow()
{
    const std::optional<KWinAnswer> answer = co_await ask();
    co_return answer ? answer->window : std::nullopt;
}

QCoro::Task<std::optional<KWinAnswer>> KWinCompositor::ask()
{
    if (!m_round) {
        startRound();
    }
    // Null when the round could not even start; otherwise shared with every question asked meanwhile.
    const std::shared_ptr<Round> round = m_round;
    if (!round) {
        co_return std::nullopt;
    }
    co_await round->done.wait();
    // A copy: every question of the round gets the answer, and QCoro moves from a non-const lvalue.
    co_return std::as_const(round->answer);
}

bool KWinCompositor::prepare()
{
    if (m_receiver) {
        return true;
    }
    if (!m_bus.isConnected()) {
        return false;
    }
    static int instances = 0;
    ++instances;
    const QString runtimeFolder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    auto folder = std::make_unique<QTemporaryDir>(runtimeFolder + QStringLiteral("/quillora-kwin-XXXXXX"));
    const QString objectPath = QStringLiteral("/org/quillora/KWinCompositor%1").arg(instances);
    const QString token = randomToken();
    QFile script(folder->filePath(QStringLiteral("answer.js")));
    if (!folder->isValid() || !script.open(QIODevice::WriteOnly) ||
        script.write(KWinScript::text(m_bus.baseService(), objectPath, token).toUtf8()) < 0) {
        return false;
    }
    script.close();
    auto receiver = std::make_unique<KWinAnswerReceiver>([this](const QString& json) { received(json); });
    if (!m_bus.registerObject(objectPath, receiver.get(), QDBusConnection::ExportScriptableSlots)) {
        return false;
    }
    m_receiver = std::move(receiver);
    m_folder = std::move(folder);
    m_objectPath = objectPath;
    m_scriptPath = script.fileName();
    m_token = token;
    m_pluginName = QStringLiteral("quillora-%1-%2").arg(QCoreApplication::applicationPid()).arg(instances);
    return true;
}

void KWinCompositor::startRound()
{
    auto round = std::make_shared<Round>();
    m_round = round;
    if (!prepare()) {
        finish(std::nullopt);
        return;
    }
    round->timeout = m_clock.schedule(timeoutSeconds, [this, weak = std::weak_ptr<Round>(round)] {
        if (const std::shared_ptr<Round> expired = weak.lock(); expired && expired == m_round) {
            finish(std::nullopt);
        }
    });
    const QDBusPendingCall load =
        m_bus.asyncCall(scriptingCall(QStringLiteral("loadScript"), {m_scriptPath, m_pluginName}), kTimeoutMs);
    whenReplied(load, [this, round](const QDBusPendingCall& call) {
        const QDBusPendingReply<int> reply(call);
        if (round != m_round) {
            return;
        }
        if (reply.isError() || reply.value() < 0) {
            finish(std::nullopt);
            return;
        }
        run(reply.value(), m_numberedPaths.value_or(false));
    });
}

void KWinCompositor::run(int scriptId, bool numberedPath)
{
    const QString path =
        numberedPath ? QStringLiteral("/%1").arg(scriptId) : QStringLiteral("/Scripting/Script%1").arg(scriptId);
    const QDBusMessage message = QDBusMessage::createMethodCall(
        kKWinService, path, QStringLiteral("org.kde.kwin.Script"), QStringLiteral("run"));
    whenReplied(m_bus.asyncCall(message, kTimeoutMs),
                [this, round = m_round, scriptId, numberedPath](const QDBusPendingCall& call) {
                    // The answer often arrives before this reply; the naming is learnt either way.
                    if (!call.isError()) {
                        m_numberedPaths = numberedPath;
                        return;
                    }
                    if (round != m_round) {
                        return;
                    }
                    // KWin 5 names a script's object by its number alone.
                    if (!numberedPath && !m_numberedPaths && call.error().type() == QDBusError::UnknownObject) {
                        run(scriptId, true);
                        return;
                    }
                    finish(std::nullopt);
                });
}

void KWinCompositor::received(const QString& json)
{
    // Anything but the script's own answer to the round in flight is ignored: a late answer after
    // a time-out, or a forgery from another process on the bus.
    if (!m_round) {
        return;
    }
    if (std::optional<KWinAnswer> answer = KWinScript::parseAnswer(json, m_token)) {
        finish(std::move(answer));
    }
}

void KWinCompositor::finish(std::optional<KWinAnswer> answer)
{
    const std::shared_ptr<Round> round = std::exchange(m_round, nullptr);
    if (!round) {
        return;
    }
    round->timeout.invalidate();
    // Also after a time-out: KWin handles our messages in order, so the script is gone before the
    // next round loads it again under the same name.
    if (m_receiver) {
        m_bus.send(scriptingCall(QStringLiteral("unloadScript"), {m_pluginName}));
    }
    round->answer = std::move(answer);
    round->done.set();
}

void KWinCompositor::whenReplied(const QDBusPendingCall& call, std::function<void(const QDBusPendingCall&)> handler)
{
    // Parented to the receiver: a reply that comes after this object is gone reaches nobody.
    auto* watcher = new QDBusPendingCallWatcher(call, m_receiver.get());
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, m_receiver.get(),
                     [watcher, handler = std::move(handler)] {
                         watcher->deleteLater();
                         handler(*watcher);
                     });
}

} // namespace quillora
