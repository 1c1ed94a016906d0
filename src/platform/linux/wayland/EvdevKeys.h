#pragma once

#include <QList>
#include <QtGlobal>

#include <optional>

namespace quillora {

/**
 * The Linux input event codes (KEY_…) of the key table's virtual key codes and modifier flags:
 * what compositors take for synthetic keys. Codes name physical keys of a US-layout keyboard, so
 * under another layout a code may type another character.
 */
class EvdevKeys final
{
public:
    /** The evdev code of a virtual key code of the key table; none for a code with no key. */
    [[nodiscard]] static std::optional<quint32> codeForVirtualKey(int virtualKey);

    /**
     * The modifier keys held for `flags`, in press order and each once: command and control give
     * the left Control key, option the left Alt key, shift the left Shift key; caps lock,
     * function, help and numeric-pad flags are ignored.
     */
    [[nodiscard]] static QList<quint32> modifierCodes(quint64 flags);
};

} // namespace quillora
