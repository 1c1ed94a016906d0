#pragma once

#include "platform/KeyEventSink.h"

#include <QStringList>

namespace quillora {

class ShellCompanion;

/**
 * Posts the paste keys through the GNOME Shell companion, which presses a whole combination in
 * the focused window and accepts nothing but the paste combinations: the key-down of V with the
 * command or control flag posts Ctrl+V (Ctrl+Shift+V with the shift flag, or when the focused
 * window is a terminal). Key-ups are accepted and post nothing; any other key is refused.
 */
class ShellCompanionKeySink final : public KeyEventSink
{
public:
    /** `terminalAppIds`: application identifiers of terminals, which paste with Ctrl+Shift+V. */
    ShellCompanionKeySink(ShellCompanion& companion, QStringList terminalAppIds);

    bool post(const PostedKeyEvent& event) override;
    [[nodiscard]] bool canPost() const override;

    /** The combination the companion is asked to press for `event`; empty for none, null to refuse. */
    [[nodiscard]] static QString combinationFor(const PostedKeyEvent& event, bool terminal);

private:
    ShellCompanion& m_companion;
    QStringList m_terminalAppIds;
};

} // namespace quillora
