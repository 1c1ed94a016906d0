#pragma once

#include "core/CancellationToken.h"

#include <memory>

namespace quillora {

/**
 * How a task that suspends inside a member function learns that its object is gone. The object
 * holds a guard as its last-declared member; the guard ends first when the object is destroyed:
 * it marks the object dead, then cancels its token, which wakes every wait started with it. A
 * task keeps a `Watch` (cheap to copy) and checks it after every suspension before touching the
 * object. Main thread; one per object.
 */
class LifetimeGuard final
{
public:
    /** A task's view of the guard: true while the object lives. */
    class Watch
    {
    public:
        [[nodiscard]] explicit operator bool() const { return *m_alive; }

    private:
        friend class LifetimeGuard;
        explicit Watch(std::shared_ptr<const bool> alive)
            : m_alive(std::move(alive))
        {
        }
        std::shared_ptr<const bool> m_alive;
    };

    LifetimeGuard() = default;
    LifetimeGuard(const LifetimeGuard&) = delete;
    LifetimeGuard& operator=(const LifetimeGuard&) = delete;
    ~LifetimeGuard()
    {
        *m_alive = false;
        m_token.cancel();
    }

    [[nodiscard]] Watch watch() const { return Watch(m_alive); }

    /** Cancelled when the object goes: pass it to waits that should end early then. */
    [[nodiscard]] const CancellationToken& token() const { return m_token; }

private:
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    CancellationToken m_token;
};

} // namespace quillora
