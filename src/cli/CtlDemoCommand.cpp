#include "cli/CtlDemoCommand.h"

#include "app/BackendClient.h"
#include "cli/DemoScenario.h"
#include "cli/CtlContext.h"
#include "cli/CtlUsageError.h"

namespace quillora {

QCoro::Task<CtlExitCode> CtlDemoCommand::run(CtlContext& context, CtlInvocation invocation)
{
    DemoScenario::Options options;
    options.backendOrigin = invocation.backend.value_or(BackendClient::configuredOrigin());
    if (!invocation.arguments.isEmpty()) {
        options.selection = invocation.arguments.first().trimmed();
        if (options.selection.size() < 10) {
            throw CtlUsageError(QStringLiteral("the demo needs a text of at least 10 characters"));
        }
    }
    const bool replaced = DemoScenario(context.out(), options).run();
    co_return replaced ? CtlExitCode::Success : CtlExitCode::Failure;
}

} // namespace quillora
