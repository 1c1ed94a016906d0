#pragma once

#include <functional>

namespace quillora {

/** A key pressed while the results panel is on screen. */
struct PanelKeyPress
{
    enum class Kind {
        /** Escape: the panel closes. */
        escape,
        /** Tab: the highlight moves to the next card. */
        tab,
        /** Enter: the highlighted card is used. */
        enter,
        /** 1–9: the card with that number is used, or copied with Shift. */
        number,
    };

    Kind kind = Kind::escape;
    /** 1–9 for `number`; 0 otherwise. */
    int number = 0;
    bool shift = false;

    bool operator==(const PanelKeyPress&) const = default;
};

/**
 * The keys that control the results panel without giving it the keyboard focus: Escape, Tab,
 * Enter, 1–9 and Shift+1–9 are taken from the focused application while grabbed, and only then,
 * so that none of them reaches the application below while the panel is up. Main thread.
 */
class PanelKeys
{
public:
    using Handler = std::function<void(const PanelKeyPress&)>;

    PanelKeys() = default;
    PanelKeys(const PanelKeys&) = delete;
    PanelKeys& operator=(const PanelKeys&) = delete;
    virtual ~PanelKeys() = default;

    /** Takes the keys, calling `handler` for each press; false where they cannot be taken. */
    virtual bool grab(Handler handler) = 0;

    /** Gives the keys back to the focused application. Idempotent. */
    virtual void release() = 0;
};

} // namespace quillora
