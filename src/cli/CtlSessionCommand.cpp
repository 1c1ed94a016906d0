#include "cli/CtlSessionCommand.h"

#include "app/BackendClient.h"
#include "cli/CtlContext.h"

#include <QTextStream>

namespace quillora {

CtlExitCode CtlSessionCommand::run(CtlContext& context, const CtlInvocation& invocation)
{
    if (invocation.command == CtlCommand::Login) {
        BackendClient::storeTokens(*invocation.accessToken, *invocation.refreshToken);
        context.out() << "Signed in." << Qt::endl;
    } else {
        BackendClient::removeTokens();
        context.out() << "Signed out." << Qt::endl;
    }
    return CtlExitCode::Success;
}

} // namespace quillora
