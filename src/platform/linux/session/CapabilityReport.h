#pragma once

#include "platform/DesktopCapabilities.h"

namespace quillora {

struct SessionInfo;

/**
 * What a probed session offers the selection loop, in the three rows shown under "On this
 * desktop": "Automatic icon", "Windows placed" and "\"Use\" pastes". Each row says how it is done,
 * or why not and what would enable it. On Wayland the icon comes from accessibility selection
 * events and floating windows need Xwayland (a native one would take focus); placement needs the
 * compositor to tell the pointer (KWin's script) or window positions (sway's IPC); "Use" inserts
 * through accessibility, else posts Ctrl+V where KWin grants fake input, else leaves the text
 * copied. Pure: it reads only `info`.
 */
[[nodiscard]] DesktopCapabilities describeCapabilities(const SessionInfo& info);

} // namespace quillora
