#pragma once

#include "platform/Accessibility.h"

#include <QElapsedTimer>
#include <QHash>

#include <memory>
#include <optional>

struct _AtspiAccessible;

namespace quillora {

class AtspiEventHub;
class AtspiNode;
class Workspace;

/**
 * This process's view of the AT-SPI desktop: the connection to the accessibility bus, the
 * applications on it with their process ids, the events it listens to, and the searches the
 * backend needs (the focused element, an application's menu bar). Every call it makes waits at most
 * the budget the backend set before. Main thread only.
 */
class AtspiDesktop final
{
public:
    /** Uses `workspace` to tell the frontmost application. */
    explicit AtspiDesktop(Workspace& workspace);
    ~AtspiDesktop();
    AtspiDesktop(const AtspiDesktop&) = delete;
    AtspiDesktop& operator=(const AtspiDesktop&) = delete;

    /**
     * Connects on first use, asking the session bus for the accessibility bus's address within
     * `budgetMs`. False while no bus answers; a failed attempt is repeated at most once a second.
     */
    [[nodiscard]] bool connect(int budgetMs);
    [[nodiscard]] bool isConnected() const { return m_connected; }

    /** The desktop element, parent of the applications; null before `connect`. */
    [[nodiscard]] _AtspiAccessible* root() const { return m_root; }
    /** The events listened to; only after a successful `connect`. */
    [[nodiscard]] AtspiEventHub& events() { return *m_events; }

    /** The process of an element's application (asked of the bus daemon once per application); -1 when unknown. */
    [[nodiscard]] qint64 pidOf(_AtspiAccessible* accessible);
    /** The application element of process `pid` (a new reference), or null when it is not on the bus. */
    [[nodiscard]] _AtspiAccessible* applicationFor(qint64 pid);
    /** The element behind a node, looking an application node's element up on first use; null when there is none. */
    [[nodiscard]] _AtspiAccessible* accessibleOf(AtspiNode* node);

    /**
     * The focused element: the last focus event's element while it still has focus in the
     * frontmost application (or in `withinPid`), else the result of a search of that application's
     * active window, which is then kept until the next focus event. NoValue when nothing has focus.
     */
    [[nodiscard]] AXReply<AXElementRef> focusedElement(std::optional<qint64> withinPid);

    /** The application's menu bar, looked for below its windows (the active one first). NoValue without one. */
    [[nodiscard]] AXReply<AXElementRef> menuBarOf(_AtspiAccessible* application);

private:
    [[nodiscard]] _AtspiAccessible* findFocused(_AtspiAccessible* root, int& budget);

    Workspace& m_workspace;
    std::unique_ptr<AtspiEventHub> m_events;
    _AtspiAccessible* m_root = nullptr;
    bool m_connected = false;
    QElapsedTimer m_lastFailedConnect;
    /** Process ids by bus name: asking the bus daemon once per application is enough. */
    QHash<QString, qint64> m_pids;
};

} // namespace quillora
