#pragma once

#include <QObject>
#include <QString>

#include <functional>

namespace quillora {

/**
 * The D-Bus object KWin's script calls with its answer (interface "org.quillora.KWinAnswer").
 * It hands the answer's JSON text on as it comes; the caller checks it.
 */
class KWinAnswerReceiver final : public QObject
{
    Q_OBJECT
    // The name KWinScript::answerInterface gives the script.
    Q_CLASSINFO("D-Bus Interface", "org.quillora.KWinAnswer")

public:
    /** Calls `onAnswer` with each answer received. */
    explicit KWinAnswerReceiver(std::function<void(const QString&)> onAnswer);

public Q_SLOTS:
    /** Receives one answer from the script. */
    Q_SCRIPTABLE void answer(const QString& json);

private:
    std::function<void(const QString&)> m_onAnswer;
};

} // namespace quillora
