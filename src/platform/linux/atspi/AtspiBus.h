#pragma once

#include <QString>

#include <optional>

namespace quillora {

/**
 * The session's accessibility bus as the session bus offers it: the launcher "org.a11y.Bus" with
 * its address and the "org.a11y.Status" switch. Every call waits at most `timeoutMs`, so a hung
 * launcher or session bus costs the caller no more than that.
 */
namespace AtspiBus {

/** The accessibility bus's address, or none when no session bus or launcher answers in time. */
[[nodiscard]] std::optional<QString> address(int timeoutMs);

/** `IsEnabled` of "org.a11y.Status", or none when the launcher does not answer in time. */
[[nodiscard]] std::optional<bool> isEnabled(int timeoutMs);

/** Sets `IsEnabled` to true; false when the launcher refused or did not answer in time. */
[[nodiscard]] bool enable(int timeoutMs);

} // namespace AtspiBus

} // namespace quillora
