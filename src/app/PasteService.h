#pragma once

#include "ax/UIElement.h"
#include "platform/Pasteboard.h"

#include <QList>
#include <QString>

#include <qcoro/qcorotask.h>

#include <optional>

namespace quillora {

class Clock;

/** What became of a chosen variation. */
enum class PasteOutcome {
    /** The selection was replaced through accessibility and read back. */
    replaced,
    /** The variation is on the pasteboard and the paste shortcut follows. */
    pasted,
    /** The variation is on the pasteboard, but no key can be posted here: the user pastes it. */
    copiedOnly,
    /**
     * The application (or element) the selection came from no longer has the focus: it quit, or
     * the user went elsewhere. The variation is on the pasteboard; nothing was pasted.
     */
    targetGone,
    /**
     * The application the selection came from does not answer (stopped or hung): keys sent to it
     * would run whenever it resumes. The variation is on the pasteboard; nothing was pasted.
     */
    targetNotAnswering,
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
 * Where a selection came from: the application's process and, where accessibility named it, the
 * focused element. A variation is pasted only while these still have the focus.
 */
struct PasteTarget
{
    /** The process; -1 when the desktop did not say. */
    qint64 pid = -1;
    std::optional<UIElement> element;
};

/**
 * Pastes a chosen variation into the application the text came from: puts it on the pasteboard
 * and, a moment later, sends the paste shortcut to the desktop. Because the floating panels never
 * take focus, that application is still the active one and replaces its selection; before any key
 * or accessibility write, the focus is checked against where the selection came from, so that a
 * variation never lands in an unrelated application. What the user had on the pasteboard is
 * written back after the paste unless "restoreClipboardAfterUse" is false. Main thread.
 */
class PasteService final
{
public:
    /** The delay between the pasteboard write and the paste shortcut, in seconds. */
    static constexpr double pasteDelay = 0.1;
    /** The delay between the paste shortcut and writing the user's pasteboard back, in seconds. */
    static constexpr double restoreDelay = 0.5;
    /** The user-defaults key that says whether the pasteboard is written back (true when absent). */
    static constexpr auto restoreClipboardKey = "restoreClipboardAfterUse";

    /** Pastes through `pasteboard`, with the shortcut timed on `clock`; both must outlive it. */
    PasteService(Pasteboard& pasteboard, Clock& clock, PasteRoute route = PasteRoute::pasteKey);

    /**
     * When `target` is given and the focus is no longer there (another frontmost application, a
     * process that ended, another focused element), only copies `text` (`targetGone`). With
     * `PasteRoute::accessibilityFirst`, first replaces the focused element's selection with
     * `text` through accessibility where the element allows it, and returns `replaced` once the
     * text reads back. Otherwise saves every type on the pasteboard, puts `text` on it as plain
     * text and returns; 0.1 s later (on the platform clock), with the focus checked once more, the
     * paste shortcut follows, unless the platform cannot post keys (`copiedOnly`: the user is to
     * paste, and the text stays). 0.5 s after the shortcut the saved content is written back,
     * unless the setting is off or something else wrote to the pasteboard meanwhile. When the
     * pasteboard refuses the text, the failure is logged and no shortcut is sent, so that nothing
     * else is pasted over the selection (`failed`).
     */
    PasteOutcome paste(const QString& text, const std::optional<PasteTarget>& target = std::nullopt) const;

    /**
     * As `paste`, but first asks the target's application, without blocking this thread, whether
     * it answers within `budgetMs`; one that does not is left alone and `text` is only copied
     * (`targetNotAnswering`). Every check `paste` makes of the focus would otherwise wait out its
     * time-out on this thread.
     */
    QCoro::Task<PasteOutcome> pasteIfAnswering(QString text, std::optional<PasteTarget> target, int budgetMs) const;

    /** Whether the pasteboard is written back after a paste, as "restoreClipboardAfterUse" says. */
    [[nodiscard]] static bool restoresClipboard();

    /** True while the focus is still where `target` says the selection came from. Never throws. */
    [[nodiscard]] static bool hasFocus(const PasteTarget& target);

    /** Sends the paste shortcut (V with the command modifier, key-up included) to the desktop. */
    static void simulatePaste();
    /** Posts the paste keys once the user's modifier keys are up, then brings `saved` back later. */
    static QCoro::Task<> pasteOnceKeysAreUp(Pasteboard& pasteboard, Clock& clock, std::optional<PasteTarget> target,
                                            QList<PasteboardItem> saved, qint64 written);

private:
    [[nodiscard]] static bool replaceSelection(const QString& text);
    /** Puts `text` on the pasteboard without pasting and logs `why`: `outcome`, or `failed`. */
    PasteOutcome copyOnly(const QString& text, PasteOutcome outcome, const QString& why) const;

    Pasteboard& m_pasteboard;
    Clock& m_clock;
    PasteRoute m_route;
};

} // namespace quillora
