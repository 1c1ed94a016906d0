#pragma once

#include <QString>

namespace quillora {

/** The toolkit's name and version. */
struct CKInfo
{
    static constexpr auto name = "CaptureKit";
    static constexpr auto version = "2.0.0";
};

/** The toolkit's name and version for callers that reach it through completion handlers. */
class VersionInfo final
{
public:
    VersionInfo() = delete;

    [[nodiscard]] static QString libraryName() { return QString::fromLatin1(CKInfo::name); }
    [[nodiscard]] static QString libraryVersion() { return QString::fromLatin1(CKInfo::version); }
};

} // namespace quillora
