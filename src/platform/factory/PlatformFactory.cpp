#include "platform/factory/PlatformFactory.h"
#include "platform/Platform.h"

#include "platform/linux/LinuxPlatform.h"
#include "platform/sim/SimDesktop.h"

namespace quillora {

std::unique_ptr<Platform> createPlatform(const QString& name)
{
    if (name == QLatin1String("sim")) {
        return std::make_unique<SimDesktop>();
    }
    if (name == QLatin1String("linux")) {
        return std::make_unique<LinuxPlatform>();
    }
    return nullptr;
}

} // namespace quillora
