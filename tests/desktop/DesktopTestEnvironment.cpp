#include "DesktopTestEnvironment.h"

#include <cstdlib>

namespace quillora::test {

namespace {
DesktopSession* g_session = nullptr;
}

void DesktopTestEnvironment::setSession(DesktopSession* session)
{
    g_session = session;
}

DesktopSession& DesktopTestEnvironment::session()
{
    if (g_session == nullptr) {
        std::abort();
    }
    return *g_session;
}

} // namespace quillora::test
