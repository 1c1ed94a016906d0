#pragma once

#include <QObject>

namespace quillora {

/**
 * One Quillora per user session: the first process owns the name "com.tessel.quillora" on the
 * session bus and answers "Raise" and "PolishSelection" there; a later process finds the name
 * taken, asks the owner to raise its main window (or to polish the current selection) and leaves.
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
        /** Another process owns it but did not answer within a few seconds. */
        OwnerDoesNotAnswer,
        /** There is no session bus: nothing guards the session, the program runs anyway. */
        NoSessionBus,
    };

    /** What a later start asks of the running process. */
    enum class Request {
        /** Bring the main window to the front. */
        raise,
        /** Polish the current selection, as the keyboard shortcut does. */
        polishSelection,
    };

    static constexpr auto serviceName = "com.tessel.quillora";
    static constexpr auto objectPath = "/com/tessel/quillora";

    explicit SingleInstance(QObject* parent = nullptr);
    ~SingleInstance() override;

    /**
     * Takes the name, or, when another process has it, calls its "Raise" (or "PolishSelection"
     * for `Request::polishSelection`).
     */
    [[nodiscard]] Claim claim(Request request = Request::raise);

    /**
     * Asks the process that owns the name, if one does, to carry out `request`; true when it was
     * asked. Needs only a QCoreApplication, so that a request from a keyboard shortcut starts no
     * window system. Does not take the name.
     */
    [[nodiscard]] static bool askOwner(Request request);

    /** Gives the name up (before a restart), so that the restarted program can take it. */
    void release();

public Q_SLOTS:
    /** Called over the bus by a second start: brings the main window to the front. */
    Q_SCRIPTABLE void Raise();
    /** Called over the bus by `quillora --polish-selection`: polishes the current selection. */
    Q_SCRIPTABLE void PolishSelection();

Q_SIGNALS:
    void raiseRequested();
    void polishSelectionRequested();

private:
    bool m_owner = false;
};

} // namespace quillora
