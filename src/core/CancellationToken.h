#pragma once

#include <functional>
#include <memory>

namespace quillora {

/**
 * Cooperative cancellation shared between a task and whoever may cancel it. Copies share one state.
 * A child token is cancelled together with its parent, never the other way round. Callbacks
 * registered with `onCancel` run once, on the thread that cancels (at once when already cancelled).
 * A default-made token is a fresh, uncancelled source.
 */
class CancellationToken
{
public:
    class Registration;

    CancellationToken();

    /** True once `cancel` was called on this token or an ancestor. */
    [[nodiscard]] bool isCancelled() const;

    /** Cancels this token and every child; runs the registered callbacks. Idempotent. */
    void cancel() const;

    /** A new token that is cancelled when this one is (and can be cancelled on its own). */
    [[nodiscard]] CancellationToken child() const;

    /**
     * Runs `callback` when the token is cancelled (immediately if it already is). The callback is
     * unregistered when the returned registration is destroyed.
     */
    [[nodiscard]] Registration onCancel(std::function<void()> callback) const;

    class Registration
    {
    public:
        Registration() = default;
        Registration(Registration&&) noexcept = default;
        Registration& operator=(Registration&& other) noexcept;
        Registration(const Registration&) = delete;
        Registration& operator=(const Registration&) = delete;
        ~Registration();

    private:
        friend class CancellationToken;
        struct Slot;
        std::shared_ptr<Slot> m_slot;
    };

private:
    struct State;
    explicit CancellationToken(std::shared_ptr<State> state);
    std::shared_ptr<State> m_state;
};

} // namespace quillora
