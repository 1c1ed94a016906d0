#include "platform/linux/LinuxAppDataFolder.h"

#include <QStandardPaths>

namespace quillora {

QString LinuxAppDataFolder::path() const
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

} // namespace quillora
