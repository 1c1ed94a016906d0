#pragma once

namespace quillora::test {

class DesktopSession;

/** The desktop session the running desktop tests share, set by their entry point. */
class DesktopTestEnvironment final
{
public:
    static void setSession(DesktopSession* session);
    /** The session; the entry point guarantees one while tests run. */
    static DesktopSession& session();
};

} // namespace quillora::test
