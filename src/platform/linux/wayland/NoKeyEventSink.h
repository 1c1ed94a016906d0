#pragma once

#include "platform/KeyEventSink.h"

namespace quillora {

/**
 * The key sink of a session that offers no way to post keys to other applications (a Wayland
 * compositor without a fake-input or virtual-keyboard protocol for us). Nothing is posted, and
 * `canPost` says so, so that "Use" leaves the text on the clipboard and tells the user to paste.
 */
class NoKeyEventSink final : public KeyEventSink
{
public:
    /** Posts nothing; always false. */
    bool post(const PostedKeyEvent& /*event*/) override { return false; }
    [[nodiscard]] bool canPost() const override { return false; }
};

} // namespace quillora
