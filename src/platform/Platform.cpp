#include "platform/Platform.h"

#include <QtGlobal>

namespace quillora {

namespace {
Platform* g_current = nullptr;
}

Platform& Platform::current()
{
    if (g_current == nullptr) {
        qFatal("No platform installed: call Platform::setCurrent at start-up");
    }
    return *g_current;
}

bool Platform::hasCurrent()
{
    return g_current != nullptr;
}

void Platform::setCurrent(Platform* platform)
{
    g_current = platform;
}

DesktopCapabilities Platform::desktopCapabilities() const
{
    return DesktopCapabilities{name(),
                               {
                                   {QStringLiteral("Automatic icon"), true, QStringLiteral("the mouse is watched")},
                                   {QStringLiteral("Windows placed"), true, QStringLiteral("beside the pointer")},
                                   {QStringLiteral("\"Use\" pastes"), true, QStringLiteral("with the paste key")},
                               }};
}

} // namespace quillora
