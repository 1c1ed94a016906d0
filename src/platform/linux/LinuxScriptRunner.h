#pragma once

#include "platform/ScriptRunner.h"

namespace quillora {

/**
 * The Linux desktop has no AppleScript and no "System Events": no script can be made, so browser
 * reads yield nothing and the alert-volume handling reports its failure and lets the operation run.
 */
class LinuxScriptRunner final : public ScriptRunner
{
public:
    /** Always null: there is no script interface to make the script in. */
    [[nodiscard]] std::unique_ptr<Script> createScript(const QString& source) override;
};

} // namespace quillora
