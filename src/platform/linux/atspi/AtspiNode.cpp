#include "platform/linux/atspi/AtspiNode.h"

#include <atspi/atspi.h>

namespace quillora {

std::shared_ptr<AtspiNode> AtspiNode::element(_AtspiAccessible* accessible)
{
    if (accessible == nullptr) {
        return nullptr;
    }
    return std::make_shared<AtspiNode>(Kind::Element, -1, accessible);
}

std::shared_ptr<AtspiNode> AtspiNode::application(qint64 pid)
{
    return std::make_shared<AtspiNode>(Kind::Application, pid);
}

std::shared_ptr<AtspiNode> AtspiNode::systemWide()
{
    return std::make_shared<AtspiNode>(Kind::SystemWide);
}

AtspiNode* AtspiNode::from(const AXElementRef& element)
{
    return dynamic_cast<AtspiNode*>(element.node().get());
}

AtspiNode::AtspiNode(Kind kind, qint64 pid, _AtspiAccessible* accessible)
    : m_kind(kind)
    , m_pid(pid)
    , m_accessible(accessible != nullptr ? static_cast<AtspiAccessible*>(g_object_ref(accessible)) : nullptr)
{
}

AtspiNode::~AtspiNode()
{
    if (m_accessible != nullptr) {
        g_object_unref(m_accessible);
    }
}

void AtspiNode::resolve(_AtspiAccessible* accessible)
{
    if (m_accessible == nullptr && accessible != nullptr) {
        m_accessible = static_cast<AtspiAccessible*>(g_object_ref(accessible));
    }
}

bool AtspiNode::isSameElement(const AXNode& other) const
{
    const auto* node = dynamic_cast<const AtspiNode*>(&other);
    if (node == nullptr) {
        return false;
    }
    if (m_accessible != nullptr && node->m_accessible != nullptr) {
        return m_accessible == node->m_accessible;
    }
    return m_kind == node->m_kind && m_pid == node->m_pid;
}

std::size_t AtspiNode::hashValue() const
{
    // Application nodes hash by process so that a resolved and an unresolved one agree.
    if (m_kind == Kind::Application) {
        return std::hash<qint64>()(m_pid);
    }
    return std::hash<const void*>()(m_accessible);
}

QString AtspiNode::debugDescription() const
{
    switch (m_kind) {
    case Kind::SystemWide:
        return QStringLiteral("<AXUIElement system-wide>");
    case Kind::Application:
        return QStringLiteral("<AXUIElement application pid=%1>").arg(m_pid);
    case Kind::Element:
        break;
    }
    const auto* object = ATSPI_OBJECT(m_accessible);
    const QString bus = object->app != nullptr ? QString::fromUtf8(object->app->bus_name) : QString();
    return QStringLiteral("<AXUIElement %1%2>").arg(bus, QString::fromUtf8(object->path));
}

} // namespace quillora
