#include "platform/linux/LinuxScriptRunner.h"

namespace quillora {

std::unique_ptr<Script> LinuxScriptRunner::createScript(const QString&)
{
    return nullptr;
}

} // namespace quillora
