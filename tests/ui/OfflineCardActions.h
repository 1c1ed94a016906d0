#pragma once

#include "app/BackendClient.h"
#include "app/ResultActions.h"
#include "app/UpdateManager.h"
#include "platform/Platform.h"

namespace quillora::test {

/**
 * Card actions for panels whose tests do not look at the interaction log: the client's origin is
 * refused, so a report fails at once without touching the network.
 */
struct OfflineCardActions
{
    explicit OfflineCardActions(Platform& platform)
        : updates(platform.userDefaults(), QStringLiteral("1.0.0"))
        , client(QStringLiteral("http://backend.invalid"), updates)
        , actions(client, platform.pasteboard())
    {
    }

    UpdateManager updates;
    BackendClient client;
    ResultActions actions;
};

} // namespace quillora::test
