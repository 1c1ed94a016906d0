#pragma once

#include <QString>

namespace quillora {

class Clock;
class Pasteboard;

/** What became of a chosen variation. */
enum class PasteOutcome {
    /** The selection was replaced through accessibility and read back. */
    replaced,
    /** The variation is on the pasteboard and the paste shortcut follows. */
    pasted,
    /** The variation is on the pasteboard, but no key can be posted here: the user pastes it. */
    copiedOnly,
    /** The pasteboard refused the variation; nothing changed. */
    failed,
};

/** How a variation reaches the application. */
enum class PasteRoute {
    /** The pasteboard and the paste shortcut (where keys can be posted to any application). */
    pasteKey,
    /** The focused element's selection replaced through accessibility, else as `pasteKey`. */
    accessibilityFirst,
};

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
    PasteService(Pasteboard& pasteboard, Clock& clock, PasteRoute route = PasteRoute::pasteKey);

    /**
     * With `PasteRoute::accessibilityFirst`, first replaces the focused element's selection with
     * `text` through accessibility where the element allows it, and returns `replaced` once the
     * text reads back. Otherwise clears the pasteboard, puts `text` on it as plain text and
     * returns; 0.1 s later (on the platform clock) the paste shortcut follows, unless the platform
     * cannot post keys (`copiedOnly`: the user is to paste). The text stays on the pasteboard
     * afterwards. When the pasteboard refuses the text, the failure is logged and no shortcut is
     * sent, so that nothing else is pasted over the selection (`failed`).
     */
    PasteOutcome paste(const QString& text) const;

    /** Sends the paste shortcut (V with the command modifier, key-up included) to the desktop. */
    static void simulatePaste();

private:
    [[nodiscard]] static bool replaceSelection(const QString& text);

    Pasteboard& m_pasteboard;
    Clock& m_clock;
    PasteRoute m_route;
};

} // namespace quillora
