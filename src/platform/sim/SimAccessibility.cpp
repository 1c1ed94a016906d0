#include "platform/sim/SimAccessibility.h"

#include "platform/sim/SimObserver.h"
#include "platform/sim/SimWorkspace.h"

#include <algorithm>

namespace quillora {

namespace {

const QString kFocusedApplication = QStringLiteral("AXFocusedApplication");

// One system-wide node for the whole process, so that the shared system-wide element stays the
// same object when tests replace the simulated desktop.
const std::shared_ptr<SimNode>& systemWideNode()
{
    static const auto node = std::make_shared<SimNode>(SimNode::Kind::SystemWide, 0, QStringLiteral("AXSystemWide"));
    return node;
}

AXReply<AXAny> refOrNoValue(const std::shared_ptr<SimNode>& node)
{
    if (node == nullptr || !node->valid) {
        return AXResult::NoValue;
    }
    return AXAny(AXElementRef(node));
}

// The named action of `node`: the failure a test forced on it, ActionUnsupported when the node has
// no such action, or the action itself.
AXReply<const SimNode::Action*> findAction(const SimNode& node, const QString& name)
{
    if (auto failure = node.actionFailures.constFind(name); failure != node.actionFailures.cend()) {
        return *failure;
    }
    const SimNode::Action* found = node.action(name);
    if (found == nullptr) {
        return AXResult::ActionUnsupported;
    }
    return found;
}

} // namespace

SimAccessibility::SimAccessibility(SimWorkspace& workspace)
    : m_workspace(workspace)
{
}

SimAccessibility::~SimAccessibility() = default;

bool SimAccessibility::isProcessTrusted(TrustPrompt prompt)
{
    ++m_calls[QStringLiteral("isProcessTrusted")];
    if (!m_trusted && prompt == TrustPrompt::Prompt) {
        ++m_trustPrompts;
    }
    return m_trusted;
}

QString SimAccessibility::openAccessibilitySettings()
{
    ++m_settingsOpenCount;
    m_trusted = m_trusted || m_settingsGrant;
    return m_settingsNotice;
}

AXElementRef SimAccessibility::createApplication(qint64 pid)
{
    if (auto it = m_apps.find(pid); it != m_apps.end()) {
        return AXElementRef(it->second);
    }
    // A process without a tree still gets an element, as on a real desktop; calls on it fail.
    auto node = std::make_shared<SimNode>(SimNode::Kind::Application, pid, QStringLiteral("AXApplication"));
    node->exposed = false;
    m_apps[pid] = node;
    m_appOrder.push_back(pid);
    return AXElementRef(node);
}

AXElementRef SimAccessibility::createSystemWide()
{
    return AXElementRef(systemWideNode());
}

AXReply<SimNode*> SimAccessibility::enter(const char* operation, const AXElementRef& element)
{
    ++m_calls[QString::fromLatin1(operation)];
    auto* node = dynamic_cast<SimNode*>(element.node().get());
    if (node == nullptr) {
        return AXResult::IllegalArgument;
    }
    if (!node->valid) {
        return AXResult::InvalidUIElement;
    }
    if (node->kind != SimNode::Kind::SystemWide) {
        if (m_unresponsive.contains(node->pid)) {
            const float own = node->messagingTimeout > 0 ? node->messagingTimeout : m_globalTimeout;
            m_waitedSeconds += own > 0 ? own : kDefaultMessagingTimeout;
            m_timedOut.insert(node->pid);
            return AXResult::CannotComplete;
        }
        m_timedOut.remove(node->pid);
        if (!node->root()->exposed) {
            return AXResult::CannotComplete;
        }
    }
    if (node->failure) {
        return *node->failure;
    }
    return node;
}

AXReply<SimNode*> SimAccessibility::enterObserved(const char* operation, const AXObserverRef& observer,
                                                  const AXElementRef& element, SimObserver*& sim)
{
    const AXReply<SimNode*> entry = enter(operation, element);
    if (!entry.ok()) {
        return entry;
    }
    sim = dynamic_cast<SimObserver*>(observer.get());
    if (sim == nullptr) {
        return AXResult::InvalidUIElementObserver;
    }
    return entry;
}

AXReply<SimNode*> SimAccessibility::enterAttribute(const char* operation, const AXElementRef& element,
                                                   const QString& attribute)
{
    const AXReply<SimNode*> entry = enter(operation, element);
    if (!entry.ok()) {
        return entry;
    }
    auto failure = entry.value->attributeFailures.constFind(attribute);
    return failure != entry.value->attributeFailures.cend() ? AXReply<SimNode*>(*failure) : entry;
}

std::shared_ptr<SimNode> SimAccessibility::frontmostRoot() const
{
    const std::optional<RunningApplication> front = m_workspace.frontmostApplication();
    if (!front) {
        return nullptr;
    }
    auto it = m_apps.find(front->pid);
    return it != m_apps.end() && it->second->valid && it->second->exposed ? it->second : nullptr;
}

bool SimAccessibility::answers(const SimNode& root) const
{
    return root.valid && root.exposed && !m_unresponsive.contains(root.pid);
}

AXReply<AXAny> SimAccessibility::resolve(SimNode& node, const QString& attribute)
{
    if (node.kind != SimNode::Kind::SystemWide || node.storedAttribute(attribute) != nullptr ||
        !node.hasAttribute(attribute)) {
        return node.value(attribute);
    }
    // The system-wide element asks the frontmost application, which may not answer.
    const std::shared_ptr<SimNode> front = frontmostRoot();
    if (front && m_unresponsive.contains(front->pid)) {
        m_waitedSeconds += m_globalTimeout > 0 ? m_globalTimeout : kDefaultMessagingTimeout;
        m_timedOut.insert(front->pid);
        return AXResult::CannotComplete;
    }
    if (attribute == kFocusedApplication) {
        return refOrNoValue(front);
    }
    return refOrNoValue(front ? front->focused.lock() : nullptr);
}

AXReply<QStringList> SimAccessibility::copyAttributeNames(const AXElementRef& element)
{
    const AXReply<SimNode*> entry = enter("copyAttributeNames", element);
    if (!entry.ok()) {
        return entry.result;
    }
    return entry.value->attributeNames();
}

AXReply<AXAny> SimAccessibility::copyAttributeValue(const AXElementRef& element, const QString& attribute)
{
    const AXReply<SimNode*> entry = enterAttribute("copyAttributeValue", element, attribute);
    if (!entry.ok()) {
        return entry.result;
    }
    return resolve(*entry.value, attribute);
}

AXReply<AXList> SimAccessibility::copyAttributeValues(const AXElementRef& element, const QString& attribute,
                                                      qint64 index, qint64 maxValues)
{
    const AXReply<SimNode*> entry = enterAttribute("copyAttributeValues", element, attribute);
    if (!entry.ok()) {
        return entry.result;
    }
    const AXReply<AXAny> value = resolve(*entry.value, attribute);
    if (!value.ok()) {
        return value.result;
    }
    const AXList* list = value.value.get<AXList>();
    const auto size = list != nullptr ? static_cast<qint64>(list->size()) : 0;
    if (list == nullptr || index < 0 || maxValues < 0 || index > size) {
        return AXResult::IllegalArgument;
    }
    const qint64 count = std::min(maxValues, size - index);
    return AXList(list->begin() + index, list->begin() + index + count);
}

AXReply<qint64> SimAccessibility::getAttributeValueCount(const AXElementRef& element, const QString& attribute)
{
    const AXReply<SimNode*> entry = enterAttribute("getAttributeValueCount", element, attribute);
    if (!entry.ok()) {
        return entry.result;
    }
    const AXReply<AXAny> value = resolve(*entry.value, attribute);
    if (!value.ok()) {
        return value.result;
    }
    const AXList* list = value.value.get<AXList>();
    return list != nullptr ? AXReply<qint64>(static_cast<qint64>(list->size()))
                           : AXReply<qint64>(AXResult::IllegalArgument);
}

AXReply<bool> SimAccessibility::isAttributeSettable(const AXElementRef& element, const QString& attribute)
{
    const AXReply<SimNode*> entry = enterAttribute("isAttributeSettable", element, attribute);
    if (!entry.ok()) {
        return entry.result;
    }
    SimNode& node = *entry.value;
    if (!node.hasAttribute(attribute)) {
        return AXResult::AttributeUnsupported;
    }
    return node.settable.contains(attribute);
}

AXResult SimAccessibility::setAttributeValue(const AXElementRef& element, const QString& attribute, const AXAny& value)
{
    const AXReply<SimNode*> entry = enterAttribute("setAttributeValue", element, attribute);
    if (!entry.ok()) {
        return entry.result;
    }
    SimNode& node = *entry.value;
    if (!node.hasAttribute(attribute)) {
        return AXResult::AttributeUnsupported;
    }
    if (!node.settable.contains(attribute)) {
        return AXResult::IllegalArgument;
    }
    node.store(attribute, value);
    return AXResult::Success;
}

AXReply<AXList> SimAccessibility::copyMultipleAttributeValues(const AXElementRef& element,
                                                              const QStringList& attributes)
{
    const AXReply<SimNode*> entry = enter("copyMultipleAttributeValues", element);
    if (!entry.ok()) {
        return entry.result;
    }
    AXList values;
    for (const QString& attribute : attributes) {
        if (auto failure = entry.value->attributeFailures.constFind(attribute);
            failure != entry.value->attributeFailures.cend()) {
            values.emplace_back(AXErrorValue{*failure});
            continue;
        }
        const AXReply<AXAny> value = resolve(*entry.value, attribute);
        if (value.ok()) {
            values.push_back(value.value);
        } else if (value.result == AXResult::NoValue) {
            values.emplace_back(AXNull());
        } else {
            values.emplace_back(AXErrorValue{value.result});
        }
    }
    return values;
}

AXReply<QStringList> SimAccessibility::copyParameterizedAttributeNames(const AXElementRef& element)
{
    const AXReply<SimNode*> entry = enter("copyParameterizedAttributeNames", element);
    if (!entry.ok()) {
        return entry.result;
    }
    QStringList names;
    for (const auto& [name, function] : entry.value->parameterizedAttributes) {
        names.append(name);
    }
    return names;
}

AXReply<AXAny> SimAccessibility::copyParameterizedAttributeValue(const AXElementRef& element, const QString& attribute,
                                                                 const AXAny& parameter)
{
    const AXReply<SimNode*> entry = enterAttribute("copyParameterizedAttributeValue", element, attribute);
    if (!entry.ok()) {
        return entry.result;
    }
    const SimParameterizedAttribute* function = entry.value->parameterized(attribute);
    if (function == nullptr) {
        return AXResult::AttributeUnsupported;
    }
    // A copy: the function may change the element it belongs to.
    const SimParameterizedAttribute call = *function;
    return call(parameter);
}

AXReply<QStringList> SimAccessibility::copyActionNames(const AXElementRef& element)
{
    const AXReply<SimNode*> entry = enter("copyActionNames", element);
    if (!entry.ok()) {
        return entry.result;
    }
    QStringList names;
    for (const SimNode::Action& action : entry.value->actions) {
        names.append(action.name);
    }
    return names;
}

AXReply<QString> SimAccessibility::copyActionDescription(const AXElementRef& element, const QString& action)
{
    const AXReply<SimNode*> entry = enter("copyActionDescription", element);
    if (!entry.ok()) {
        return entry.result;
    }
    const AXReply<const SimNode::Action*> found = findAction(*entry.value, action);
    if (!found.ok()) {
        return found.result;
    }
    return found.value->description.isEmpty() ? found.value->name : found.value->description;
}

AXResult SimAccessibility::performAction(const AXElementRef& element, const QString& action)
{
    const AXReply<SimNode*> entry = enter("performAction", element);
    if (!entry.ok()) {
        return entry.result;
    }
    const AXReply<const SimNode::Action*> found = findAction(*entry.value, action);
    if (!found.ok()) {
        return found.result;
    }
    // A copy: the action may rebuild the tree it belongs to.
    const std::function<void()> perform = found.value->perform;
    if (perform) {
        perform();
    }
    return AXResult::Success;
}

AXReply<AXElementRef> SimAccessibility::copyElementAtPosition(const AXElementRef& element, float x, float y)
{
    const AXReply<SimNode*> entry = enter("copyElementAtPosition", element);
    if (!entry.ok()) {
        return entry.result;
    }
    const AXPoint point{x, y};
    std::vector<std::shared_ptr<SimNode>> roots;
    if (entry.value->kind == SimNode::Kind::SystemWide) {
        if (auto front = frontmostRoot()) {
            roots.push_back(front);
        }
        for (qint64 pid : m_appOrder) {
            const auto& root = m_apps.at(pid);
            if (answers(*root) && std::find(roots.begin(), roots.end(), root) == roots.end()) {
                roots.push_back(root);
            }
        }
    } else {
        roots.push_back(entry.value->root());
    }
    for (const auto& root : roots) {
        if (auto hit = root->hitTest(point)) {
            return AXElementRef(hit);
        }
    }
    return AXResult::NoValue;
}

AXReply<qint64> SimAccessibility::getPid(const AXElementRef& element)
{
    ++m_calls[QStringLiteral("getPid")];
    // The owner of an element is known locally: no answer from the application is needed.
    auto* node = dynamic_cast<SimNode*>(element.node().get());
    if (node == nullptr || node->kind == SimNode::Kind::SystemWide) {
        return AXResult::IllegalArgument;
    }
    if (!node->valid) {
        return AXResult::InvalidUIElement;
    }
    if (node->failure) {
        return *node->failure;
    }
    return node->pid;
}

AXResult SimAccessibility::setMessagingTimeout(const AXElementRef& element, float seconds)
{
    ++m_calls[QStringLiteral("setMessagingTimeout")];
    auto* node = dynamic_cast<SimNode*>(element.node().get());
    if (node == nullptr || seconds < 0) {
        return AXResult::IllegalArgument;
    }
    if (!node->valid) {
        return AXResult::InvalidUIElement;
    }
    if (node->failure) {
        return *node->failure;
    }
    if (node->kind == SimNode::Kind::SystemWide) {
        m_globalTimeout = seconds;
    } else {
        node->messagingTimeout = seconds;
    }
    return AXResult::Success;
}

AXReply<AXObserverRef> SimAccessibility::createObserver(qint64 pid, AXObserverCallback callback)
{
    ++m_calls[QStringLiteral("createObserver")];
    if (pid <= 0) {
        return AXResult::IllegalArgument;
    }
    std::erase_if(m_observers, [](const std::weak_ptr<SimObserver>& observer) { return observer.expired(); });
    auto observer = std::make_shared<SimObserver>(pid, std::move(callback));
    m_observers.push_back(observer);
    return AXObserverRef(observer);
}

AXResult SimAccessibility::addNotification(const AXObserverRef& observer, const AXElementRef& element,
                                           const QString& notification)
{
    SimObserver* sim = nullptr;
    const AXReply<SimNode*> entry = enterObserved("addNotification", observer, element, sim);
    if (!entry.ok()) {
        return entry.result;
    }
    if (entry.value->pid != sim->pid()) {
        return AXResult::IllegalArgument;
    }
    return sim->subscribe(element, notification) ? AXResult::Success : AXResult::NotificationAlreadyRegistered;
}

AXResult SimAccessibility::removeNotification(const AXObserverRef& observer, const AXElementRef& element,
                                              const QString& notification)
{
    SimObserver* sim = nullptr;
    const AXReply<SimNode*> entry = enterObserved("removeNotification", observer, element, sim);
    if (!entry.ok()) {
        return entry.result;
    }
    return sim->unsubscribe(element, notification) ? AXResult::Success : AXResult::NotificationNotRegistered;
}

void SimAccessibility::attachObserver(const AXObserverRef& observer)
{
    if (auto* sim = dynamic_cast<SimObserver*>(observer.get())) {
        sim->attach();
    }
}

void SimAccessibility::detachObserver(const AXObserverRef& observer)
{
    if (auto* sim = dynamic_cast<SimObserver*>(observer.get())) {
        sim->detach();
    }
}

SimElement SimAccessibility::addApplication(qint64 pid)
{
    auto it = m_apps.find(pid);
    if (it != m_apps.end() && it->second->valid) {
        it->second->exposed = true;
        return SimElement(it->second);
    }
    if (it == m_apps.end()) {
        m_appOrder.push_back(pid);
    }
    auto node = std::make_shared<SimNode>(SimNode::Kind::Application, pid, QStringLiteral("AXApplication"));
    m_apps[pid] = node;
    return SimElement(node);
}

void SimAccessibility::removeApplication(qint64 pid)
{
    auto it = m_apps.find(pid);
    if (it == m_apps.end()) {
        return;
    }
    it->second->invalidate();
    m_apps.erase(it);
    std::erase(m_appOrder, pid);
}

std::optional<SimElement> SimAccessibility::application(qint64 pid) const
{
    auto it = m_apps.find(pid);
    if (it == m_apps.end() || !it->second->valid || !it->second->exposed) {
        return std::nullopt;
    }
    return SimElement(it->second);
}

QCoro::Task<bool> SimAccessibility::answers(qint64 pid, int budgetMs)
{
    Q_UNUSED(budgetMs);
    co_return !m_unresponsive.contains(pid);
}

void SimAccessibility::setUnresponsive(qint64 pid, bool unresponsive)
{
    if (unresponsive) {
        m_unresponsive.insert(pid);
    } else {
        m_unresponsive.remove(pid);
    }
}

void SimAccessibility::postNotification(const SimElement& element, const QString& notification,
                                        const std::optional<AXDictionary>& info)
{
    const AXElementRef subject = element.ref();
    const AXElementRef application(element.node()->root());
    for (const auto& weak : m_observers) {
        auto observer = weak.lock();
        if (observer && observer->pid() == element.pid() &&
            (observer->isSubscribed(subject, notification) || observer->isSubscribed(application, notification))) {
            observer->deliver(subject, notification, info);
        }
    }
}

QList<std::shared_ptr<SimObserver>> SimAccessibility::observers(qint64 pid) const
{
    QList<std::shared_ptr<SimObserver>> result;
    for (const auto& weak : m_observers) {
        if (auto observer = weak.lock(); observer && observer->pid() == pid) {
            result.append(observer);
        }
    }
    return result;
}

int SimAccessibility::totalCalls() const
{
    int total = 0;
    for (int count : m_calls) {
        total += count;
    }
    return total;
}

} // namespace quillora
