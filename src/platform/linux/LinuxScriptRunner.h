#pragma once

#include "platform/ScriptRunner.h"

namespace quillora {

/**
 * The Linux desktop has no AppleScript and no "System Events": no script can be made, so browser
 * reads yield nothing, and the alert volume is left alone (desktops here do not sound an alert for
 * a copy with nothing selected).
 */
class LinuxScriptRunner final : public ScriptRunner
{
public:
    [[nodiscard]] bool isAvailable() const override { return false; }

    /** Always null: there is no script interface to make the script in. */
    [[nodiscard]] std::unique_ptr<Script> createScript(const QString& source) override;
};

} // namespace quillora
