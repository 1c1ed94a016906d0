#include "platform/linux/wayland/EvdevKeyPresses.h"

#include "platform/linux/wayland/EvdevKeys.h"

namespace quillora {

std::optional<QList<EvdevKeyChange>> EvdevKeyPresses::changesFor(const PostedKeyEvent& event)
{
    const std::optional<quint32> key = EvdevKeys::codeForVirtualKey(event.virtualKey);
    if (!key) {
        return std::nullopt;
    }
    if (!event.keyDown) {
        if (m_held.contains(event.virtualKey)) {
            return release(event.virtualKey);
        }
        // A key-up for a key this keyboard never pressed: only the key itself is released.
        return QList<EvdevKeyChange>{{*key, false}};
    }
    QList<EvdevKeyChange> changes =
        m_held.contains(event.virtualKey) ? release(event.virtualKey) : QList<EvdevKeyChange>();
    const QList<quint32> modifiers = EvdevKeys::modifierCodes(event.flags);
    for (const quint32 modifier : modifiers) {
        if (m_modifierHolds[modifier]++ == 0) {
            changes.append({modifier, true});
        }
    }
    changes.append({*key, true});
    m_held.insert(event.virtualKey, Held{*key, modifiers});
    m_order.append(event.virtualKey);
    return changes;
}

QList<EvdevKeyChange> EvdevKeyPresses::releaseAll()
{
    QList<EvdevKeyChange> changes;
    while (!m_order.isEmpty()) {
        changes += release(m_order.constLast());
    }
    return changes;
}

QList<EvdevKeyChange> EvdevKeyPresses::release(int virtualKey)
{
    const Held held = m_held.take(virtualKey);
    m_order.removeOne(virtualKey);
    QList<EvdevKeyChange> changes{{held.key, false}};
    for (auto modifier = held.modifiers.crbegin(); modifier != held.modifiers.crend(); ++modifier) {
        if (--m_modifierHolds[*modifier] == 0) {
            m_modifierHolds.remove(*modifier);
            changes.append({*modifier, false});
        }
    }
    return changes;
}

} // namespace quillora
