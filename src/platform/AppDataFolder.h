#pragma once

#include <QString>

namespace quillora {

/** The user's application-data folder (what another platform calls "Application Support"; $XDG_DATA_HOME here), where
 * files of the app live. */
class AppDataFolder
{
public:
    AppDataFolder() = default;
    AppDataFolder(const AppDataFolder&) = delete;
    AppDataFolder& operator=(const AppDataFolder&) = delete;
    virtual ~AppDataFolder() = default;

    /**
     * The absolute path of the folder, or an empty string when the platform knows none. The folder
     * need not exist yet; callers create what they need inside it.
     */
    [[nodiscard]] virtual QString path() const = 0;
};

} // namespace quillora
