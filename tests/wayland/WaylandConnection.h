#pragma once

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

struct wl_display;
struct wl_interface;
struct wl_registry;

namespace quillora::test {

/** This process's own connection to a Wayland compositor, with the globals it offers. */
class WaylandConnection final
{
public:
    /** Connects to the compositor listening on the socket at `socketPath` (absolute); null when none answers. */
    [[nodiscard]] static std::unique_ptr<WaylandConnection> connect(const QString& socketPath);

    ~WaylandConnection();
    WaylandConnection(const WaylandConnection&) = delete;
    WaylandConnection& operator=(const WaylandConnection&) = delete;

    /** Binds the first global of `interface` at its version, `maxVersion` at most; null when none is offered. */
    [[nodiscard]] void* bind(const wl_interface& interface, uint32_t maxVersion);
    /** The version of `interface` the compositor offers; 0 when it offers none. */
    [[nodiscard]] uint32_t offeredVersion(const wl_interface& interface) const;

    /** Sends what is queued and waits until the compositor has handled it; false once the connection broke. */
    [[nodiscard]] bool roundtrip();

    /** Milliseconds on the monotonic clock, as input events carry them. */
    [[nodiscard]] static uint32_t timestamp();

private:
    struct Global
    {
        uint32_t name = 0;
        QString interface;
        uint32_t version = 0;
    };

    WaylandConnection() = default;
    static void onGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version);
    static void onGlobalRemoved(void* data, wl_registry* registry, uint32_t name);

    wl_display* m_display = nullptr;
    wl_registry* m_registry = nullptr;
    std::vector<Global> m_globals;
};

} // namespace quillora::test
