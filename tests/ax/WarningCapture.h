#pragma once

#include <QStringList>
#include <QtGlobal>

namespace quillora::test {

/** Collects the diagnostic log lines (qDebug … qWarning) written while it exists. */
class WarningCapture
{
public:
    WarningCapture()
        : m_previous(qInstallMessageHandler(&WarningCapture::collect))
    {
        lines().clear();
    }
    ~WarningCapture() { qInstallMessageHandler(m_previous); }
    WarningCapture(const WarningCapture&) = delete;
    WarningCapture& operator=(const WarningCapture&) = delete;

    static QStringList& lines()
    {
        static QStringList collected;
        return collected;
    }

private:
    static void collect(QtMsgType, const QMessageLogContext&, const QString& message) { lines().append(message); }

    QtMessageHandler m_previous;
};

} // namespace quillora::test
