#include "platform/sim/SimNode.h"

#include <atomic>

namespace quillora {

namespace {

std::atomic<int> g_nextSerial{1};

const QString kChildren = QStringLiteral("AXChildren");
const QString kParent = QStringLiteral("AXParent");
const QString kMenuBar = QStringLiteral("AXMenuBar");
const QString kWindows = QStringLiteral("AXWindows");
const QString kFocusedUIElement = QStringLiteral("AXFocusedUIElement");

AXList childrenWithRole(const SimNode& node, const QString& role)
{
    AXList result;
    for (const auto& child : node.children) {
        if (child->valid && (role.isEmpty() || child->role() == role)) {
            result.emplace_back(AXElementRef(child));
        }
    }
    return result;
}

AXReply<AXAny> refOrNoValue(const std::shared_ptr<SimNode>& node)
{
    if (node == nullptr || !node->valid) {
        return AXResult::NoValue;
    }
    return AXAny(AXElementRef(node));
}

QStringList computedAttributeNames(const SimNode& node)
{
    switch (node.kind) {
    case SimNode::Kind::SystemWide:
        return {kFocusedUIElement, QStringLiteral("AXFocusedApplication")};
    case SimNode::Kind::Application:
        return {kChildren, kMenuBar, kWindows, kFocusedUIElement};
    case SimNode::Kind::Element:
        break;
    }
    return node.parent.expired() ? QStringList{kChildren} : QStringList{kChildren, kParent};
}

} // namespace

SimNode::SimNode(Kind kind, qint64 pid, const QString& role)
    : kind(kind)
    , pid(pid)
    , serial(g_nextSerial++)
{
    attributes.emplace_back(QStringLiteral("AXRole"), role);
}

QString SimNode::debugDescription() const
{
    return QStringLiteral("<SimElement #%1 %2 pid=%3>").arg(serial).arg(role()).arg(pid);
}

QString SimNode::role() const
{
    const AXAny* value = storedAttribute(QStringLiteral("AXRole"));
    return value != nullptr && value->holds<QString>() ? *value->get<QString>() : QString();
}

QStringList SimNode::attributeNames() const
{
    QStringList names;
    for (const auto& [name, value] : attributes) {
        names.append(name);
    }
    for (const QString& name : computedAttributeNames(*this)) {
        if (!names.contains(name)) {
            names.append(name);
        }
    }
    return names;
}

bool SimNode::hasAttribute(const QString& name) const
{
    return storedAttribute(name) != nullptr || computedAttributeNames(*this).contains(name);
}

AXReply<AXAny> SimNode::value(const QString& name) const
{
    if (const AXAny* stored = storedAttribute(name)) {
        return stored->isNull() ? AXReply<AXAny>(AXResult::NoValue) : AXReply<AXAny>(*stored);
    }
    if (kind == Kind::SystemWide || !computedAttributeNames(*this).contains(name)) {
        return AXResult::AttributeUnsupported;
    }
    if (name == kChildren) {
        return AXAny(childrenWithRole(*this, {}));
    }
    if (name == kParent) {
        return refOrNoValue(parent.lock());
    }
    if (name == kWindows) {
        return AXAny(childrenWithRole(*this, QStringLiteral("AXWindow")));
    }
    if (name == kMenuBar) {
        const AXList bars = childrenWithRole(*this, kMenuBar);
        return bars.empty() ? AXReply<AXAny>(AXResult::NoValue) : AXReply<AXAny>(bars.front());
    }
    return refOrNoValue(focused.lock());
}

std::shared_ptr<SimNode> SimNode::hitTest(AXPoint point)
{
    // Later siblings lie on top of earlier ones, and children on top of their parent.
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        if (auto hit = (*it)->hitTest(point)) {
            return hit;
        }
    }
    const AXAny* frame = storedAttribute(QStringLiteral("AXFrame"));
    if (kind == Kind::Element && frame != nullptr && frame->holds<AXRect>() && frame->get<AXRect>()->contains(point)) {
        return shared_from_this();
    }
    return nullptr;
}

const AXAny* SimNode::storedAttribute(const QString& name) const
{
    for (const auto& [key, value] : attributes) {
        if (key == name) {
            return &value;
        }
    }
    return nullptr;
}

void SimNode::store(const QString& name, AXAny value)
{
    for (auto& [key, stored] : attributes) {
        if (key == name) {
            stored = std::move(value);
            return;
        }
    }
    attributes.emplace_back(name, std::move(value));
}

const SimNode::Action* SimNode::action(const QString& name) const
{
    for (const Action& candidate : actions) {
        if (candidate.name == name) {
            return &candidate;
        }
    }
    return nullptr;
}

const SimParameterizedAttribute* SimNode::parameterized(const QString& name) const
{
    for (const auto& [key, function] : parameterizedAttributes) {
        if (key == name) {
            return &function;
        }
    }
    return nullptr;
}

std::shared_ptr<SimNode> SimNode::root()
{
    std::shared_ptr<SimNode> node = shared_from_this();
    while (auto up = node->parent.lock()) {
        node = up;
    }
    return node;
}

void SimNode::invalidate()
{
    valid = false;
    for (const auto& child : children) {
        child->invalidate();
    }
}

} // namespace quillora
