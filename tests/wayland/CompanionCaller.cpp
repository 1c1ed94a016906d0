// A stand-in for the desktop program in front of the GNOME Shell companion: its executable is named
// quillora, the one name the companion answers. It reads calls from its standard input, one a line
// ("GetPointer", "PostKeys ctrl+v", "Version" for the property), makes each on the session bus and
// prints one line for each: "NAME reply ARGUMENTS..." or "NAME error ERROR-NAME". The companion's
// signals print "signal NAME". It ends when its standard input closes.
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QFile>
#include <QSocketNotifier>
#include <QStringList>

#include <cstdio>

namespace {

const QString kService = QStringLiteral("org.gnome.Shell");
const QString kPath = QStringLiteral("/com/tessel/quillora/ShellCompanion");
const QString kInterface = QStringLiteral("com.tessel.quillora.ShellCompanion1");

void printLine(const QString& line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

/** The words of one reply argument: the structures of the interface are made of numbers. */
QStringList words(const QVariant& value)
{
    if (value.userType() == qMetaTypeId<QDBusVariant>()) {
        return words(value.value<QDBusVariant>().variant());
    }
    if (value.userType() == qMetaTypeId<QDBusArgument>()) {
        const QDBusArgument structure = value.value<QDBusArgument>();
        QStringList numbers;
        structure.beginStructure();
        while (!structure.atEnd()) {
            double number = 0;
            structure >> number;
            numbers << QString::number(number);
        }
        structure.endStructure();
        return numbers;
    }
    if (value.userType() == QMetaType::Bool) {
        return {value.toBool() ? QStringLiteral("true") : QStringLiteral("false")};
    }
    // Texts stay on their line.
    return {value.toString().replace(QLatin1Char('\n'), QLatin1String("\\n"))};
}

void call(const QString& line)
{
    const QString name = line.section(QLatin1Char(' '), 0, 0);
    const QString argument = line.section(QLatin1Char(' '), 1);
    QDBusMessage message;
    if (name == QLatin1String("Version")) {
        message = QDBusMessage::createMethodCall(kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                 QStringLiteral("Get"));
        message << kInterface << name;
    } else {
        message = QDBusMessage::createMethodCall(kService, kPath, kInterface, name);
        if (name == QLatin1String("PostKeys") || name == QLatin1String("SetShortcut")) {
            message << argument;
        }
    }
    const QDBusMessage reply = QDBusConnection::sessionBus().call(message, QDBus::Block, 10000);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        printLine(name + QStringLiteral(" error ") + reply.errorName());
        return;
    }
    QStringList answer{name, QStringLiteral("reply")};
    for (const QVariant& value : reply.arguments()) {
        answer << words(value);
    }
    printLine(answer.join(QLatin1Char(' ')));
}

/** Prints the companion's signals as they arrive. */
class SignalPrinter final : public QObject
{
    Q_OBJECT
public slots:
    void onSignal(const QDBusMessage& message) { printLine(QStringLiteral("signal ") + message.member()); }
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    SignalPrinter printer;
    for (const QString& signal : {QStringLiteral("PrimaryChanged"), QStringLiteral("ShortcutActivated")}) {
        QDBusConnection::sessionBus().connect(QString(), kPath, kInterface, signal, &printer,
                                              SLOT(onSignal(QDBusMessage)));
    }
    QFile input;
    if (!input.open(stdin, QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        return 1;
    }
    QSocketNotifier notifier(0, QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, [&input] {
        const QByteArray line = input.readLine();
        if (line.isEmpty()) {
            QCoreApplication::quit();
            return;
        }
        call(QString::fromUtf8(line).trimmed());
    });
    printLine(QStringLiteral("ready"));
    return app.exec();
}

#include "CompanionCaller.moc"
