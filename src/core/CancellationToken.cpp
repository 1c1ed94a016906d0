#include "core/CancellationToken.h"

#include <mutex>
#include <vector>

namespace quillora {

struct CancellationToken::Registration::Slot
{
    std::mutex mutex;
    std::function<void()> callback;
};

struct CancellationToken::State
{
    std::mutex mutex;
    bool cancelled = false;
    std::vector<std::weak_ptr<Registration::Slot>> slots;
    std::vector<std::weak_ptr<State>> children;

    void cancel()
    {
        std::vector<std::weak_ptr<Registration::Slot>> slotsToRun;
        std::vector<std::weak_ptr<State>> childrenToCancel;
        {
            std::lock_guard lock(mutex);
            if (cancelled) {
                return;
            }
            cancelled = true;
            slotsToRun.swap(slots);
            childrenToCancel.swap(children);
        }
        for (const auto& weakSlot : slotsToRun) {
            if (auto slot = weakSlot.lock()) {
                std::function<void()> callback;
                {
                    std::lock_guard lock(slot->mutex);
                    callback.swap(slot->callback);
                }
                if (callback) {
                    callback();
                }
            }
        }
        for (const auto& weakChild : childrenToCancel) {
            if (auto child = weakChild.lock()) {
                child->cancel();
            }
        }
    }
};

CancellationToken::Registration& CancellationToken::Registration::operator=(Registration&& other) noexcept
{
    if (this != &other) {
        if (m_slot) {
            std::lock_guard lock(m_slot->mutex);
            m_slot->callback = nullptr;
        }
        m_slot = std::move(other.m_slot);
    }
    return *this;
}

CancellationToken::Registration::~Registration()
{
    if (m_slot) {
        std::lock_guard lock(m_slot->mutex);
        m_slot->callback = nullptr;
    }
}

CancellationToken::CancellationToken()
    : m_state(std::make_shared<State>())
{
}

CancellationToken::CancellationToken(std::shared_ptr<State> state)
    : m_state(std::move(state))
{
}

bool CancellationToken::isCancelled() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->cancelled;
}

void CancellationToken::cancel() const
{
    m_state->cancel();
}

CancellationToken CancellationToken::child() const
{
    auto childState = std::make_shared<State>();
    bool parentCancelled = false;
    {
        std::lock_guard lock(m_state->mutex);
        parentCancelled = m_state->cancelled;
        if (!parentCancelled) {
            // A long-lived parent sees many short-lived children: drop the ones already gone.
            std::erase_if(m_state->children, [](const auto& weak) { return weak.expired(); });
            m_state->children.push_back(childState);
        }
    }
    if (parentCancelled) {
        childState->cancelled = true;
    }
    return CancellationToken(childState);
}

CancellationToken::Registration CancellationToken::onCancel(std::function<void()> callback) const
{
    Registration registration;
    registration.m_slot = std::make_shared<Registration::Slot>();
    registration.m_slot->callback = std::move(callback);
    bool alreadyCancelled = false;
    {
        std::lock_guard lock(m_state->mutex);
        alreadyCancelled = m_state->cancelled;
        if (!alreadyCancelled) {
            std::erase_if(m_state->slots, [](const auto& weak) { return weak.expired(); });
            m_state->slots.push_back(registration.m_slot);
        }
    }
    if (alreadyCancelled) {
        std::function<void()> run;
        run.swap(registration.m_slot->callback);
        run();
    }
    return registration;
}

} // namespace quillora
