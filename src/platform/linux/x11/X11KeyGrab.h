#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QSocketNotifier;
struct _XDisplay;

namespace quillora {

/**
 * Passive grabs of key combinations on the root window, on a display connection of its own
 * (opened on first use from $DISPLAY): while grabbed, a combination reaches this program instead
 * of the focused application. Each is grabbed four times, with and without Caps Lock and Num Lock,
 * so that it works whichever of them is on. A combination is told by its press (the modifiers may
 * be let go before the key) and reported at the key's release: until then
 * the grab holds the keyboard, and keys this program posts meanwhile would come back to it.
 */
class X11KeyGrab final
{
public:
    /** A combination as X11 grabs it: a key and the modifier mask that must be held with it. */
    struct Chord
    {
        unsigned long keysym = 0;
        unsigned int modifiers = 0;

        bool operator==(const Chord&) const = default;
    };

    enum class Result {
        grabbed,
        /** Another client holds one of the combinations; none of them is grabbed. */
        taken,
        /** No X server answers on $DISPLAY. */
        noDisplay,
        /** The keyboard has no key for one of the combinations; none of them is grabbed. */
        noKey,
    };

    using Handler = std::function<void(const Chord&)>;

    X11KeyGrab();
    ~X11KeyGrab();
    X11KeyGrab(const X11KeyGrab&) = delete;
    X11KeyGrab& operator=(const X11KeyGrab&) = delete;

    /** Calls `handler` at the release of each grabbed combination. */
    void setHandler(Handler handler) { m_handler = std::move(handler); }

    /** Grabs all of `chords` besides those held already, or none of them. */
    Result grab(const QList<Chord>& chords);

    /** Gives every grabbed combination back. */
    void releaseAll();

    /** The chord for Qt's portable text of one combination; none for an empty or unknown one. */
    [[nodiscard]] static std::optional<Chord> chordFor(const QString& combination);

private:
    struct Grabbed
    {
        Chord chord;
        unsigned int keycode = 0;
    };

    bool open();
    void drain();
    void ungrab(const QList<Grabbed>& grabs);

    _XDisplay* m_display = nullptr;
    bool m_opened = false;
    std::unique_ptr<QSocketNotifier> m_notifier;
    Handler m_handler;
    QList<Grabbed> m_grabbed;
    /** The grabbed combination whose key is down, reported when it goes up. */
    std::optional<Grabbed> m_pressed;
};

} // namespace quillora
