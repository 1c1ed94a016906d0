#include "KWinScripts.h"

#include "support/WaitFor.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QFile>

namespace quillora::test {

namespace {

const QString kService = QStringLiteral("org.quillora.WaylandTest");
const QString kPath = QStringLiteral("/KWinScripts");

QDBusMessage callScripting(const QString& method, const QVariantList& arguments)
{
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.kde.KWin"), QStringLiteral("/Scripting"),
                                                       QStringLiteral("org.kde.kwin.Scripting"), method);
    call.setArguments(arguments);
    return QDBusConnection::sessionBus().call(call, QDBus::Block, 5000);
}

} // namespace

KWinScripts::KWinScripts(QString folder)
    : m_folder(std::move(folder))
{
}

KWinScripts::~KWinScripts()
{
    if (m_registered) {
        QDBusConnection::sessionBus().unregisterObject(kPath);
        QDBusConnection::sessionBus().unregisterService(kService);
    }
}

void KWinScripts::report(const QString& value)
{
    m_answer = value;
}

std::optional<QString> KWinScripts::evaluate(const QString& body)
{
    if (!m_registered) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        m_registered =
            bus.registerService(kService) && bus.registerObject(kPath, this, QDBusConnection::ExportScriptableSlots);
        if (!m_registered) {
            return std::nullopt;
        }
    }
    const QString name = QStringLiteral("quillora-test-%1").arg(++m_count);
    const QString path = QStringLiteral("%1/%2.js").arg(m_folder, name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return std::nullopt;
    }
    // The answer comes back over the bus: KWin's scripts have no other way out but its log.
    file.write(QStringLiteral("callDBus(\"%1\", \"%2\", \"%1\", \"report\", JSON.stringify((() => {\n%3\n})()));\n")
                   .arg(kService, kPath, body)
                   .toUtf8());
    file.close();
    m_answer.reset();
    const QDBusMessage loaded = callScripting(QStringLiteral("loadScript"), {path, name});
    if (loaded.type() != QDBusMessage::ReplyMessage) {
        return std::nullopt;
    }
    // "start" runs every loaded script that is not running yet; the path of one script's own
    // object differs between KWin versions.
    callScripting(QStringLiteral("start"), {});
    waitFor([this] { return m_answer.has_value(); }, 5000);
    callScripting(QStringLiteral("unloadScript"), {name});
    QFile::remove(path);
    return m_answer;
}

} // namespace quillora::test
