#pragma once

#include <QString>

namespace quillora {

class Clock;
class Pasteboard;

/**
 * Pastes a chosen variation into the application the text came from: puts it on the pasteboard
 * and, a moment later, sends the paste shortcut to the desktop. Because the floating panels never
 * take focus, that application is still the active one and replaces its selection. Stateless;
 * main thread.
 */
class PasteService final
{
public:
    /** The delay between the pasteboard write and the paste shortcut, in seconds. */
    static constexpr double pasteDelay = 0.1;

    /** Pastes through `pasteboard`, with the shortcut timed on `clock`; both must outlive it. */
    PasteService(Pasteboard& pasteboard, Clock& clock);

    /**
     * Clears the pasteboard, puts `text` on it as plain text and returns; 0.1 s later (on the
     * platform clock) the paste shortcut follows. The text stays on the pasteboard afterwards. When
     * the pasteboard refuses the text, the failure is logged and no shortcut is sent, so that
     * nothing else is pasted over the selection. Never fails visibly.
     */
    void paste(const QString& text) const;

    /** Sends the paste shortcut (V with the command modifier, key-up included) to the desktop. */
    static void simulatePaste();

private:
    Pasteboard& m_pasteboard;
    Clock& m_clock;
};

} // namespace quillora
