#include "ui/InteractionLogger.h"

#include "app/BackendClient.h"

namespace quillora {

InteractionLogger backendInteractionLogger()
{
    return [](qint64 logId, const QString& action, const QString& presetName) {
        // The report runs on by itself; the card does not wait for it and it never fails.
        auto report = BackendClient::shared().logInteraction(logId, action, presetName);
        Q_UNUSED(report);
    };
}

} // namespace quillora
