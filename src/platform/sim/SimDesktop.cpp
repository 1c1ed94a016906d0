#include "platform/sim/SimDesktop.h"

namespace quillora {

SimDesktop::SimDesktop()
    : m_appDataFolder(m_dataDir.path())
{
}

SimDesktop::~SimDesktop()
{
    if (Platform::hasCurrent() && &Platform::current() == this) {
        Platform::setCurrent(nullptr);
    }
}

} // namespace quillora
