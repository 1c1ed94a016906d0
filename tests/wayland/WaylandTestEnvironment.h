#pragma once

namespace quillora::test {

class AtspiReader;
class WaylandSession;

/** The session and the AT-SPI reader the running Wayland tests share, set by their entry point. */
class WaylandTestEnvironment final
{
public:
    static void set(WaylandSession* session, AtspiReader* accessibility);
    /** The session; the entry point guarantees one while tests run. */
    static WaylandSession& session();
    /** The reader; the entry point guarantees one while tests run. */
    static AtspiReader& accessibility();
};

} // namespace quillora::test
