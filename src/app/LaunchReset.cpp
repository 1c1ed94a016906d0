#include "app/LaunchReset.h"

#include "platform/AppDataFolder.h"
#include "platform/UserDefaults.h"

#include <QDir>

namespace quillora {

bool LaunchReset::isRequested(const QStringList& arguments)
{
    return arguments.contains(QStringLiteral("--uitesting"));
}

void LaunchReset::wipeStoredState(UserDefaults& userDefaults, const AppDataFolder& appDataFolder)
{
    userDefaults.removeDomain();
    const QString root = appDataFolder.path();
    if (!root.isEmpty()) {
        QDir(QDir(root).filePath(QStringLiteral("com.tessel.quillora"))).removeRecursively();
    }
}

} // namespace quillora
