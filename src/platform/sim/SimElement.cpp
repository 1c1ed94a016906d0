#include "platform/sim/SimElement.h"

#include <algorithm>

namespace quillora {

SimElement::SimElement(std::shared_ptr<SimNode> node)
    : m_node(std::move(node))
{
}

SimElement SimElement::child(const QString& role, std::initializer_list<std::pair<QString, AXAny>> attributes) const
{
    auto node = std::make_shared<SimNode>(SimNode::Kind::Element, m_node->pid, role);
    for (const auto& [name, value] : attributes) {
        node->store(name, value);
    }
    node->parent = m_node;
    m_node->children.push_back(node);
    return SimElement(node);
}

SimElement SimElement::set(const QString& attribute, AXAny value) const
{
    m_node->store(attribute, std::move(value));
    return *this;
}

SimElement SimElement::makeSettable(const QString& attribute) const
{
    m_node->settable.insert(attribute);
    return *this;
}

SimElement SimElement::setParameterized(const QString& attribute, SimParameterizedAttribute function) const
{
    m_node->parameterizedAttributes.emplace_back(attribute, std::move(function));
    return *this;
}

SimElement SimElement::addAction(const QString& action, std::function<void()> perform, const QString& description) const
{
    m_node->actions.push_back({action, description, std::move(perform)});
    return *this;
}

SimElement SimElement::failAttribute(const QString& attribute, AXResult code) const
{
    m_node->attributeFailures.insert(attribute, code);
    return *this;
}

SimElement SimElement::failAction(const QString& action, AXResult code) const
{
    m_node->actionFailures.insert(action, code);
    return *this;
}

SimElement SimElement::failAll(AXResult code) const
{
    m_node->failure = code == AXResult::Success ? std::nullopt : std::optional<AXResult>(code);
    return *this;
}

void SimElement::focus() const
{
    m_node->root()->focused = m_node;
}

void SimElement::destroy() const
{
    if (auto parent = m_node->parent.lock()) {
        std::erase(parent->children, m_node);
    }
    m_node->invalidate();
}

AXAny SimElement::attribute(const QString& attribute) const
{
    const AXAny* value = m_node->storedAttribute(attribute);
    return value != nullptr ? *value : AXAny();
}

QList<SimElement> SimElement::children() const
{
    QList<SimElement> result;
    for (const auto& child : m_node->children) {
        result.append(SimElement(child));
    }
    return result;
}

} // namespace quillora
