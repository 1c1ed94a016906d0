#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace quillora {

/** Lists what a Wayland compositor offers, on a connection of its own that lives for one call. */
class RegistryScan final
{
public:
    /**
     * The interface names of the globals that the display `displayName` (empty: "wayland-0")
     * offers to this process, from one registry round trip. None when the display cannot be
     * reached or does not answer within `timeoutMs`.
     */
    [[nodiscard]] static std::optional<QStringList> globals(const QString& displayName, int timeoutMs);
};

} // namespace quillora
