#pragma once

#include <QObject>

namespace quillora {

/**
 * One Quillora per user session: the first process owns the name "com.tessel.quillora" on the
 * session bus and answers "Raise" there; a later process finds the name taken, asks the owner to
 * raise its main window and leaves.
 */
class SingleInstance final : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.tessel.quillora.Application")

public:
    /** The outcome of `claim()`. */
    enum class Claim {
        /** This process owns the name now. */
        Owner,
        /** Another process owns it and was asked to raise its window. */
        AlreadyRunning,
        /** There is no session bus: nothing guards the session, the program runs anyway. */
        NoSessionBus,
    };

    static constexpr auto serviceName = "com.tessel.quillora";
    static constexpr auto objectPath = "/com/tessel/quillora";

    explicit SingleInstance(QObject* parent = nullptr);
    ~SingleInstance() override;

    /**
     * Takes the name, or, when another process has it, calls its "Raise". A name that is taken
     * but whose owner does not answer counts as running all the same.
     */
    [[nodiscard]] Claim claim();

    /** Gives the name up (before a relaunch), so that the new process can take it. */
    void release();

public Q_SLOTS:
    /** Called over the bus by a second start: brings the main window to the front. */
    Q_SCRIPTABLE void Raise();

Q_SIGNALS:
    void raiseRequested();

private:
    bool m_owner = false;
};

} // namespace quillora
