#pragma once

#include <QString>

class QTextStream;

namespace quillora {

class SimDesktop;

/**
 * The polishing loop played end to end on the simulated desktop against a real backend: an editor
 * with selected text, a drag over it, the floating icon, a hover and a click, the placeholders,
 * the backend's variations, "Use", and the editor's selection replaced. Every step is printed
 * with the virtual clock's time since the start ("[  0.150 s] selection confirmed: …"). The
 * panels are stand-ins that print what the real windows would show.
 *
 * While it runs, the scenario installs a simulated desktop as the current platform and puts the
 * previous one back afterwards. The session tokens stored on the previous platform are lent to
 * it, and tokens renewed during the run are stored back, so that a refresh does not lose the
 * user's session. History and presets are kept in the simulated desktop only.
 */
class DemoScenario final
{
public:
    struct Options
    {
        /** The backend's origin, for example "http://127.0.0.1:8740". */
        QString backendOrigin;
        /** The text the user selects in the editor. */
        QString selection = QStringLiteral("we was hoping you could maybe look at the report when you has time");
        /** The longest wait for one answer of the backend, in seconds (virtual and real time alike). */
        double networkTimeout = 65;
    };

    DemoScenario(QTextStream& out, Options options);

    /**
     * Plays the scenario and returns true when the editor's selection was replaced by the first
     * variation. Never throws: a failing step (an unreachable backend, an error answer, no icon)
     * is printed and ends the run with false.
     */
    bool run();

private:
    bool play(SimDesktop& desktop);

    QTextStream& m_out;
    Options m_options;
};

} // namespace quillora
