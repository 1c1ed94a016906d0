#pragma once

#include "keys/KeyEvent.h"

#include <QList>
#include <QString>

#include <concepts>
#include <functional>

#include <qcoro/qcorotask.h>

namespace quillora {

struct RunningApplication;

/** Whether each key-down is followed by its key-up. Every caller in this system sends it. */
enum class KeyUp { Send, Omit };

/**
 * Types keys on the user's behalf: an ordered list of key events, each posted as a key-down and
 * (normally) a key-up carrying the union of the event's modifier flags, to the whole desktop or
 * to one running application. Events go through the platform's key event sink; an event the sink
 * cannot make is skipped silently. Running applications come from the platform's workspace.
 */
class KeyPoster final
{
public:
    /** Sends `events` in order. */
    explicit KeyPoster(QList<KeyEvent> events);

    /** Sends the given events in order: `KeyPoster(KeyEvent(Key::a), KeyEvent(Key::b))`. */
    template <typename... Events>
    requires(std::convertible_to<Events, KeyEvent>&&...) explicit KeyPoster(const KeyEvent& first,
                                                                            const Events&... rest)
        : KeyPoster(QList<KeyEvent>{first, KeyEvent(rest)...})
    {
    }

    /** Sends one key with a list of modifiers. */
    explicit KeyPoster(Key key, QList<Modifier> modifiers = {});

    /** Sends one key with the modifiers as arguments: `KeyPoster(Key::v, Modifier::command)`. */
    template <typename... Modifiers>
    requires(sizeof...(Modifiers) > 0 && (std::convertible_to<Modifiers, Modifier> && ...))
        KeyPoster(Key key, Modifiers... modifiers)
        : KeyPoster(key, QList<Modifier>{Modifier(modifiers)...})
    {
    }

    /**
     * Types `string`, one key event per character (extended grapheme cluster), found with
     * `Key::fromString`; an upper-case character (one that changes when lower-cased) gets `shift`.
     * Throws `KeyPosterError` "Invalid character. Cannot create key event." when any character
     * has no key; then no poster is made at all.
     */
    explicit KeyPoster(const QString& string);

    /** The events, in sending order. */
    [[nodiscard]] const QList<KeyEvent>& events() const { return m_events; }

    /** Posts the events to the whole desktop. Never fails. */
    void sendGlobally(KeyUp keyUp = KeyUp::Send) const;

    /**
     * Completes once the user has let go of the modifier keys they hold (at most a second later),
     * without blocking: awaited before a shortcut is posted, so that a held Alt or Shift does not
     * join it.
     */
    static QCoro::Task<> modifiersReleased();

    /** Posts the events to one application, by its process id. Never fails. */
    void send(const RunningApplication& application, KeyUp keyUp = KeyUp::Send) const;

    /**
     * Posts the events to the first running application whose localized name equals `name`.
     * Throws `KeyPosterError` "Application with name \"{name}\" either does not exist, or is not
     * currently running." when there is none.
     */
    void send(const QString& name, KeyUp keyUp = KeyUp::Send) const;

    /** As `send(name)`, but an application that is not running is ignored. */
    void trySend(const QString& name, KeyUp keyUp = KeyUp::Send) const;

    /** Posts the events to the frontmost application. Throws `KeyPosterError` "No frontmost application exists.". */
    void sendToFrontmostApplication(KeyUp keyUp = KeyUp::Send) const;

    /** Posts the events to every running application, in the workspace's order. Never fails. */
    void sendToAllApplications(KeyUp keyUp = KeyUp::Send) const;

    /**
     * Posts the events, with key-ups, to every running application for which `where` returns
     * true. The test runs on all applications before anything is posted, so when it throws, its
     * error propagates and nothing has been sent.
     */
    void send(const std::function<bool(const RunningApplication&)>& where) const;

    /**
     * Posts the events, with key-ups, to the running application whose localized name equals
     * `name`, launching it through the workspace first when it is not running. A launch error
     * propagates. After `maximumLaunches` launches that did not bring up an application of that
     * name, throws `KeyPosterError`.
     */
    void openApplicationAndSend(const QString& name) const;

    /** How many launches `openApplicationAndSend` tries before giving up. */
    static constexpr int maximumLaunches = 3;

    /** Sends the copy shortcut (`c` with `command`) globally, with key-up. */
    static void copy();
    /** Sends the paste shortcut (`v` with `command`) globally, with key-up. */
    static void paste();
    /** Sends the select-all shortcut (`a` with `command`) globally, with key-up. */
    static void selectAll();

private:
    QList<KeyEvent> m_events;
};

} // namespace quillora
