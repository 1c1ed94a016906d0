#pragma once

#include "platform/PanelKeys.h"

namespace quillora {

/** The simulated panel keys: tests press them; a press while they are not taken goes nowhere. */
class SimPanelKeys final : public PanelKeys
{
public:
    bool grab(Handler handler) override
    {
        m_handler = std::move(handler);
        return true;
    }
    void release() override { m_handler = nullptr; }

    [[nodiscard]] bool isGrabbed() const { return static_cast<bool>(m_handler); }

    /** The user presses a key; false when the keys are not taken (the application below gets it). */
    bool press(const PanelKeyPress& key)
    {
        if (!m_handler) {
            return false;
        }
        // A copy: the handler may release the keys.
        const Handler handler = m_handler;
        handler(key);
        return true;
    }

private:
    Handler m_handler;
};

} // namespace quillora
