#pragma once

#include <QObject>

class QSocketNotifier;

namespace quillora {

/**
 * Turns SIGTERM and SIGINT into a Qt signal on the main thread, through a pipe written by the
 * signal handler (the only safe thing a handler may do). One instance at a time; the default
 * handlers come back when it is destroyed.
 */
class TerminationSignals final : public QObject
{
    Q_OBJECT

public:
    /** Installs the handlers. Throws `ServerError` (Network) when the pipe cannot be made. */
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

Q_SIGNALS:
    /** A termination signal arrived; `count` is 1 for the first, 2 for the second, and so on. */
    void received(int signalNumber, int count);

private:
    void readPipe();

    int m_pipe[2] = {-1, -1};
    int m_count = 0;
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace quillora
