#include "app/AppInfo.h"

namespace quillora {

// QUILLORA_APP_VERSION is the project's version, passed by the build (empty when the project has none).
QString AppInfo::version()
{
    return versionOrDefault(QStringLiteral(QUILLORA_APP_VERSION));
}

QString AppInfo::versionOrDefault(const QString& recorded)
{
    const QString trimmed = recorded.trimmed();
    return trimmed.isEmpty() ? QStringLiteral("0.0.0") : trimmed;
}

} // namespace quillora
