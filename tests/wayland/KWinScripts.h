#pragma once

#include <QObject>
#include <QString>

#include <optional>

namespace quillora::test {

/**
 * Runs KWin scripts in a running KWin over the session bus and takes their answers: a script
 * reports by calling `report` on this object, which it offers on the bus as "org.quillora.WaylandTest".
 * Needs this process's QCoreApplication.
 */
class KWinScripts final : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.quillora.WaylandTest")

public:
    /** `folder` holds the script files. */
    explicit KWinScripts(QString folder);
    ~KWinScripts() override;

    /**
     * Runs `body` in KWin as the body of a function and returns what that function returns, as
     * JSON; none when KWin did not load the script or it did not answer in time.
     */
    [[nodiscard]] std::optional<QString> evaluate(const QString& body);

public slots:
    Q_SCRIPTABLE void report(const QString& value);

private:
    QString m_folder;
    bool m_registered = false;
    int m_count = 0;
    std::optional<QString> m_answer;
};

} // namespace quillora::test
