#include "WaylandConnection.h"

#include <wayland-client.h>

#include <algorithm>
#include <ctime>

namespace quillora::test {

std::unique_ptr<WaylandConnection> WaylandConnection::connect(const QString& socketPath)
{
    std::unique_ptr<WaylandConnection> connection(new WaylandConnection);
    connection->m_display = wl_display_connect(socketPath.toUtf8().constData());
    if (connection->m_display == nullptr) {
        return nullptr;
    }
    connection->m_registry = wl_display_get_registry(connection->m_display);
    static const wl_registry_listener listener = {
        .global = &WaylandConnection::onGlobal,
        .global_remove = &WaylandConnection::onGlobalRemoved,
    };
    wl_registry_add_listener(connection->m_registry, &listener, connection.get());
    if (!connection->roundtrip()) {
        return nullptr;
    }
    return connection;
}

WaylandConnection::~WaylandConnection()
{
    if (m_registry != nullptr) {
        wl_registry_destroy(m_registry);
    }
    if (m_display != nullptr) {
        wl_display_disconnect(m_display);
    }
}

void WaylandConnection::onGlobal(void* data, wl_registry*, uint32_t name, const char* interface, uint32_t version)
{
    static_cast<WaylandConnection*>(data)->m_globals.push_back(Global{name, QString::fromUtf8(interface), version});
}

void WaylandConnection::onGlobalRemoved(void* data, wl_registry*, uint32_t name)
{
    std::erase_if(static_cast<WaylandConnection*>(data)->m_globals,
                  [name](const Global& global) { return global.name == name; });
}

void* WaylandConnection::bind(const wl_interface& interface, uint32_t maxVersion)
{
    const QString wanted = QString::fromUtf8(interface.name);
    for (const Global& global : m_globals) {
        if (global.interface == wanted) {
            return wl_registry_bind(m_registry, global.name, &interface, std::min(global.version, maxVersion));
        }
    }
    return nullptr;
}

uint32_t WaylandConnection::offeredVersion(const wl_interface& interface) const
{
    const QString wanted = QString::fromUtf8(interface.name);
    for (const Global& global : m_globals) {
        if (global.interface == wanted) {
            return global.version;
        }
    }
    return 0;
}

bool WaylandConnection::roundtrip()
{
    return wl_display_roundtrip(m_display) >= 0;
}

uint32_t WaylandConnection::timestamp()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return uint32_t(now.tv_sec * 1000 + now.tv_nsec / 1000000);
}

} // namespace quillora::test
