#include "WaylandTestEnvironment.h"

#include <cstdlib>

namespace quillora::test {

namespace {
WaylandSession* g_session = nullptr;
AtspiReader* g_accessibility = nullptr;
} // namespace

void WaylandTestEnvironment::set(WaylandSession* session, AtspiReader* accessibility)
{
    g_session = session;
    g_accessibility = accessibility;
}

WaylandSession& WaylandTestEnvironment::session()
{
    if (g_session == nullptr) {
        std::abort();
    }
    return *g_session;
}

AtspiReader& WaylandTestEnvironment::accessibility()
{
    if (g_accessibility == nullptr) {
        std::abort();
    }
    return *g_accessibility;
}

} // namespace quillora::test
