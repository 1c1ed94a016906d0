#include "cli/CtlDemoCommand.h"

#include "app/BackendClient.h"
#include "app/SelectionTracker.h"
#include "cli/DemoScenario.h"
#include "cli/CtlContext.h"
#include "cli/CtlUsageError.h"
#include "core/Graphemes.h"

namespace quillora {

QCoro::Task<CtlExitCode> CtlDemoCommand::run(CtlContext& context, CtlInvocation invocation)
{
    DemoScenario::Options options;
    options.backendOrigin = invocation.backend.value_or(BackendClient::configuredOrigin());
    if (!invocation.arguments.isEmpty()) {
        options.selection = invocation.arguments.first().trimmed();
        // The tracker shows its icon only for a selection of this many user-perceived characters.
        if (!Graphemes::hasAtLeast(options.selection, SelectionTracker::minimumSelectionLength)) {
            throw CtlUsageError(QStringLiteral("the demo needs a text of at least %1 characters")
                                    .arg(SelectionTracker::minimumSelectionLength));
        }
    }
    const bool replaced = DemoScenario(context.out(), options).run();
    co_return replaced ? CtlExitCode::Success : CtlExitCode::Failure;
}

} // namespace quillora
