#pragma once

#include <QString>

#include <functional>

namespace quillora {

/**
 * Reports what the user did with a variation: `action` ("copy" or "use") on the variation of
 * `presetName` of polishing `logId`. Starts the report and returns at once; never fails.
 */
using InteractionLogger = std::function<void(qint64 logId, const QString& action, const QString& presetName)>;

/** The logger that reports to the backend through `BackendClient::shared()`. */
[[nodiscard]] InteractionLogger backendInteractionLogger();

} // namespace quillora
