#pragma once

#include "platform/AppDataFolder.h"

namespace quillora {

/** The application-data folder on Linux: $XDG_DATA_HOME (by default ~/.local/share). */
class LinuxAppDataFolder final : public AppDataFolder
{
public:
    [[nodiscard]] QString path() const override;
};

} // namespace quillora
