#pragma once

#include "platform/KeyEventSink.h"

#include <QHash>
#include <QList>

#include <optional>

namespace quillora {

/** One change of a key's state, as a compositor is told it. */
struct EvdevKeyChange
{
    quint32 code = 0;
    bool pressed = true;

    bool operator==(const EvdevKeyChange&) const = default;
};

/**
 * Which keys a synthetic keyboard holds down, and the changes each posted event makes. A key-down
 * presses the modifiers of its flags, then its key; its key-up releases exactly what that key-down
 * pressed, key first, whatever flags the key-up carries. A modifier that another held key already
 * holds is not pressed twice, and it is released only with the last key that holds it. A second
 * key-down of a held key releases the first. Pure bookkeeping: nothing is sent.
 */
class EvdevKeyPresses final
{
public:
    /** The changes that post `event`, in order; none when its key has no evdev code. */
    [[nodiscard]] std::optional<QList<EvdevKeyChange>> changesFor(const PostedKeyEvent& event);

    /** Releases for everything still held, the last pressed first; nothing is held afterwards. */
    [[nodiscard]] QList<EvdevKeyChange> releaseAll();

private:
    /** What a key-down pressed: its key and the modifiers it holds. */
    struct Held
    {
        quint32 key = 0;
        QList<quint32> modifiers;
    };

    [[nodiscard]] QList<EvdevKeyChange> release(int virtualKey);

    QList<int> m_order;
    QHash<int, Held> m_held;
    /** How many held keys hold each modifier. */
    QHash<quint32, int> m_modifierHolds;
};

} // namespace quillora
