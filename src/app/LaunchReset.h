#pragma once

#include <QStringList>

namespace quillora {

class AppDataFolder;
class UserDefaults;

/** The "--uitesting" launch: automated UI tests start from an empty store every time. */
class LaunchReset final
{
public:
    LaunchReset() = delete;

    /** True when one argument equals "--uitesting" exactly (a longer argument does not count). */
    [[nodiscard]] static bool isRequested(const QStringList& arguments);

    /**
     * Removes every user-defaults key of the application and the application's folder
     * ("com.tessel.quillora", with the history in it) from the app-data folder. Must run before
     * anything reads them. A folder that is missing or cannot be removed is ignored.
     */
    static void wipeStoredState(UserDefaults& userDefaults, const AppDataFolder& appDataFolder);
};

} // namespace quillora
