#pragma once

#include <QString>

namespace quillora {

/** Facts about the running application. */
class AppInfo final
{
public:
    AppInfo() = delete;

    /** The application's short version text, as the build recorded it; "0.0.0" when the build gave none. */
    [[nodiscard]] static QString version();

    /** `recorded` when it holds text, else "0.0.0". */
    [[nodiscard]] static QString versionOrDefault(const QString& recorded);
};

} // namespace quillora
