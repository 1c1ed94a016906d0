#include "platform/linux/session/RegistryScan.h"

#include "platform/linux/wayland/WaylandConnection.h"

namespace quillora {

std::optional<QStringList> RegistryScan::globals(const QString& displayName, int timeoutMs)
{
    const QByteArray name = displayName.isEmpty() ? QByteArrayLiteral("wayland-0") : displayName.toLocal8Bit();
    const std::unique_ptr<WaylandConnection> connection = WaylandConnection::open(timeoutMs, name);
    if (!connection) {
        return std::nullopt;
    }
    QStringList names;
    for (const WaylandConnection::Global& global : connection->globals()) {
        names.append(QString::fromLatin1(global.interfaceName));
    }
    return names;
}

} // namespace quillora
