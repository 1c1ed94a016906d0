#include "platform/linux/atspi/AtspiDesktop.h"

#include "platform/Workspace.h"
#include "platform/linux/atspi/AtspiBus.h"
#include "platform/linux/atspi/AtspiCalls.h"
#include "platform/linux/atspi/AtspiEventHub.h"
#include "platform/linux/atspi/AtspiNode.h"

#include <algorithm>

namespace quillora {

using namespace AtspiCalls;

namespace {

constexpr int kConnectRetryMs = 1000;
// The most elements a focus search looks at when no event named the focused element.
constexpr int kFocusSearchBudget = 2000;
// How deep below a window the menu bar is looked for.
constexpr int kMenuBarDepth = 4;

} // namespace

AtspiDesktop::AtspiDesktop(Workspace& workspace)
    : m_workspace(workspace)
{
}

AtspiDesktop::~AtspiDesktop()
{
    m_events.reset();
    if (m_root != nullptr) {
        g_object_unref(m_root);
    }
}

bool AtspiDesktop::connect(int budgetMs)
{
    if (m_connected) {
        return true;
    }
    // A session without an accessibility bus is asked again at most once a second.
    if (m_lastFailedConnect.isValid() && m_lastFailedConnect.elapsed() < kConnectRetryMs) {
        return false;
    }
    // libatspi asks the session bus for the address without a time-out of its own; asked here
    // first, the answer comes within the budget and libatspi connects to it directly.
    if (qEnvironmentVariableIsEmpty("AT_SPI_BUS_ADDRESS")) {
        const std::optional<QString> address = AtspiBus::address(budgetMs);
        if (!address) {
            m_lastFailedConnect.start();
            return false;
        }
        qputenv("AT_SPI_BUS_ADDRESS", address->toUtf8());
    }
    atspi_init();
    // No longer wait for applications that started recently: every call gets the same budget.
    atspi_set_timeout(budgetMs, 0);
    m_root = atspi_get_desktop(0);
    if (m_root == nullptr) {
        m_lastFailedConnect.start();
        return false;
    }
    // Roles, interfaces and parents never change. States are cached too, and kept current by the
    // state events the hub listens to: a state set that libatspi refreshes by itself would make a
    // call from inside the dispatch of an event, which libdbus cannot nest. Names, children and text
    // are asked every time.
    atspi_accessible_set_cache_mask(
        m_root, AtspiCache(ATSPI_CACHE_ROLE | ATSPI_CACHE_INTERFACES | ATSPI_CACHE_PARENT | ATSPI_CACHE_STATES));
    m_events = std::make_unique<AtspiEventHub>([this](AtspiAccessible* accessible) { return pidOf(accessible); });
    if (!m_events->start()) {
        qWarning("AT-SPI: the registry did not accept the focus listener; the focused element will be searched for");
    }
    m_connected = true;
    return true;
}

qint64 AtspiDesktop::pidOf(_AtspiAccessible* accessible)
{
    const AtspiObject* object = ATSPI_OBJECT(accessible);
    const QString bus = object->app != nullptr ? QString::fromUtf8(object->app->bus_name) : QString();
    if (!bus.isEmpty()) {
        const auto known = m_pids.constFind(bus);
        if (known != m_pids.cend()) {
            return *known;
        }
    }
    GError* error = nullptr;
    const guint pid = counted([&] { return atspi_accessible_get_process_id(accessible, &error); });
    if (error != nullptr) {
        g_error_free(error);
        return -1;
    }
    if (!bus.isEmpty()) {
        m_pids.insert(bus, qint64(pid));
    }
    return qint64(pid);
}

_AtspiAccessible* AtspiDesktop::applicationFor(qint64 pid)
{
    const QList<AtspiAccessible*> applications = children(m_root);
    AtspiAccessible* found = nullptr;
    for (AtspiAccessible* application : applications) {
        if (found == nullptr && pidOf(application) == pid) {
            found = static_cast<AtspiAccessible*>(g_object_ref(application));
        }
    }
    unrefAll(applications);
    return found;
}

_AtspiAccessible* AtspiDesktop::accessibleOf(AtspiNode* node)
{
    if (node->kind() == AtspiNode::Kind::Application && node->accessible() == nullptr) {
        if (AtspiAccessible* application = applicationFor(node->pid())) {
            node->resolve(application);
            g_object_unref(application);
        }
    }
    return node->accessible();
}

_AtspiAccessible* AtspiDesktop::findFocused(_AtspiAccessible* root, int& budget)
{
    // GTK and browsers answer the whole search in one call; Qt has no collection interface.
    if (GPtr<AtspiCollection> collection(atspi_accessible_get_collection_iface(root)); collection) {
        GPtr<AtspiStateSet> wanted(atspi_state_set_new(nullptr));
        atspi_state_set_add(wanted.get(), ATSPI_STATE_FOCUSED);
        GPtr<AtspiMatchRule> rule(
            atspi_match_rule_new(wanted.get(), ATSPI_Collection_MATCH_ALL, nullptr, ATSPI_Collection_MATCH_NONE,
                                 nullptr, ATSPI_Collection_MATCH_NONE, nullptr, ATSPI_Collection_MATCH_NONE, FALSE));
        GError* error = nullptr;
        GArray* matches = counted([&] {
            return atspi_collection_get_matches(collection.get(), rule.get(), ATSPI_Collection_SORT_ORDER_CANONICAL, 1,
                                                TRUE, &error);
        });
        if (error == nullptr && matches != nullptr) {
            AtspiAccessible* found = matches->len > 0 ? g_array_index(matches, AtspiAccessible*, 0) : nullptr;
            for (guint index = 1; index < matches->len; ++index) {
                g_object_unref(g_array_index(matches, AtspiAccessible*, index));
            }
            g_array_free(matches, TRUE);
            return found;
        }
        if (error != nullptr) {
            g_error_free(error);
        }
    }
    // Depth first, into what is showing only: hidden menus and pages hold no focus.
    if (--budget < 0) {
        return nullptr;
    }
    const GPtr<AtspiStateSet> set = states(root);
    if (has(set, ATSPI_STATE_FOCUSED)) {
        return static_cast<AtspiAccessible*>(g_object_ref(root));
    }
    if (!has(set, ATSPI_STATE_SHOWING)) {
        return nullptr;
    }
    const QList<AtspiAccessible*> list = children(root);
    AtspiAccessible* found = nullptr;
    for (AtspiAccessible* child : list) {
        if (found == nullptr && budget > 0) {
            found = findFocused(child, budget);
        }
    }
    unrefAll(list);
    return found;
}

AXReply<AXElementRef> AtspiDesktop::focusedElement(std::optional<qint64> withinPid)
{
    std::optional<qint64> pid = withinPid;
    if (!pid) {
        if (const std::optional<RunningApplication> front = m_workspace.frontmostApplication()) {
            pid = front->pid;
        }
    }
    // The element of the last focus event, while it still has focus in the frontmost application.
    if (AtspiAccessible* candidate = m_events->focused()) {
        const GPtr<AtspiStateSet> set = states(candidate);
        if (!set) {
            return AXResult::CannotComplete;
        }
        if (has(set, ATSPI_STATE_FOCUSED) && !has(set, ATSPI_STATE_DEFUNCT) && (!pid || pidOf(candidate) == *pid)) {
            return AXElementRef(AtspiNode::element(candidate));
        }
    }
    // Otherwise the active window of the frontmost application (or of any application) is searched.
    QList<AtspiAccessible*> applications;
    if (pid) {
        if (AtspiAccessible* application = applicationFor(*pid)) {
            applications.append(application);
        }
    } else {
        applications = children(m_root);
    }
    AtspiAccessible* found = nullptr;
    int budget = kFocusSearchBudget;
    for (AtspiAccessible* application : applications) {
        const QList<AtspiAccessible*> windows = found == nullptr ? children(application) : QList<AtspiAccessible*>();
        for (AtspiAccessible* window : windows) {
            if (found == nullptr && has(states(window), ATSPI_STATE_ACTIVE)) {
                found = findFocused(window, budget);
            }
        }
        unrefAll(windows);
    }
    unrefAll(applications);
    // Until focus moves again (and an event says so), the element found is the one to check first.
    if (found != nullptr) {
        m_events->setFocused(found);
    }
    return elementReply(found);
}

AXReply<AXElementRef> AtspiDesktop::menuBarOf(_AtspiAccessible* application)
{
    // Breadth first below the windows, the active one first: GTK puts the bar inside a box, Qt
    // directly under the window.
    QList<AtspiAccessible*> level = children(application);
    std::stable_partition(level.begin(), level.end(),
                          [](AtspiAccessible* window) { return has(states(window), ATSPI_STATE_ACTIVE); });
    AtspiAccessible* found = nullptr;
    for (int depth = 0; depth < kMenuBarDepth && found == nullptr && !level.isEmpty(); ++depth) {
        QList<AtspiAccessible*> next;
        for (AtspiAccessible* candidate : level) {
            if (found != nullptr) {
                continue;
            }
            const std::optional<int> value = role(candidate);
            if (value == ATSPI_ROLE_MENU_BAR) {
                found = static_cast<AtspiAccessible*>(g_object_ref(candidate));
            } else if (value && *value != ATSPI_ROLE_MENU && *value != ATSPI_ROLE_TEXT &&
                       *value != ATSPI_ROLE_DOCUMENT_WEB) {
                next.append(children(candidate));
            }
        }
        unrefAll(level);
        level = next;
    }
    unrefAll(level);
    return elementReply(found);
}

} // namespace quillora
