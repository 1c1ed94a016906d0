#include "app/AutostartEntry.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

namespace quillora {

namespace {

const QString kFileName = QStringLiteral("com.tessel.quillora.desktop");

// An Exec argument with reserved characters goes in double quotes, where '"', '`', '$' and '\'
// take a backslash; the value as a whole then escapes every backslash once more. A '%' would start
// a field code anywhere, so it is always doubled.
QString quotedForExec(const QString& program)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    const bool needsQuotes = std::any_of(program.begin(), program.end(), [](QChar c) { return reserved.contains(c); });
    if (!needsQuotes) {
        return QString(program).replace(u'%', QStringLiteral("%%"));
    }
    QString quoted = QStringLiteral("\"");
    for (const QChar c : program) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') {
            quoted += u'\\';
        }
        quoted += c;
    }
    quoted += u'"';
    return quoted.replace(u'\\', QStringLiteral("\\\\")).replace(u'%', QStringLiteral("%%"));
}

} // namespace

AutostartEntry::AutostartEntry(QString folder, QString program)
    : m_folder(std::move(folder))
    , m_program(std::move(program))
{
}

QString AutostartEntry::userFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/autostart");
}

QString AutostartEntry::filePath() const
{
    return m_folder + u'/' + kFileName;
}

bool AutostartEntry::isEnabled() const
{
    QFile file(filePath());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return false;
    }
    bool inEntry = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(u'[')) {
            inEntry = line == QLatin1String("[Desktop Entry]");
        } else if (inEntry) {
            const QString setting = QString(line).remove(u' ');
            if (setting == QLatin1String("Hidden=true") ||
                setting == QLatin1String("X-GNOME-Autostart-enabled=false")) {
                return false;
            }
        }
    }
    return true;
}

std::optional<QString> AutostartEntry::setEnabled(bool enabled)
{
    const QString path = filePath();
    if (!enabled) {
        QFile file(path);
        if (file.exists() && !file.remove()) {
            return QStringLiteral("Could not remove %1: %2").arg(path, file.errorString());
        }
        return std::nullopt;
    }
    if (!QDir().mkpath(m_folder)) {
        return QStringLiteral("Could not create the folder %1.").arg(m_folder);
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text) || file.write(contents().toUtf8()) < 0 || !file.commit()) {
        return QStringLiteral("Could not write %1: %2").arg(path, file.errorString());
    }
    return std::nullopt;
}

QString AutostartEntry::contents() const
{
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Quillora\n"
                          "Comment=Rewrite the text you select in any application\n"
                          "Exec=%1\n"
                          "Icon=com.tessel.quillora\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(quotedForExec(m_program));
}

} // namespace quillora
