#pragma once

#include <QString>

#include <cstddef>
#include <functional>
#include <memory>

namespace quillora {

/**
 * A backend's accessible object. On the real desktop it is a proxy of an AT-SPI accessible (bus
 * name and object path); in the simulated desktop a node of an element tree. Two proxies may stand
 * for the same object, so identity is the backend's to decide.
 */
class AXNode
{
public:
    AXNode() = default;
    AXNode(const AXNode&) = delete;
    AXNode& operator=(const AXNode&) = delete;
    virtual ~AXNode() = default;

    /** True when `other` stands for the same accessible object. Identity by default. */
    [[nodiscard]] virtual bool isSameElement(const AXNode& other) const { return this == &other; }

    /** A hash consistent with `isSameElement`. */
    [[nodiscard]] virtual std::size_t hashValue() const { return std::hash<const void*>()(this); }

    /** The backend's own text form of the object, for logs. */
    [[nodiscard]] virtual QString debugDescription() const = 0;
};

/**
 * An opaque, shared reference to an accessible object: cheap to copy, comparable and hashable.
 * A default-constructed reference refers to nothing.
 */
class AXElementRef
{
public:
    AXElementRef() = default;
    explicit AXElementRef(std::shared_ptr<AXNode> node)
        : m_node(std::move(node))
    {
    }

    [[nodiscard]] const std::shared_ptr<AXNode>& node() const { return m_node; }
    [[nodiscard]] bool isNull() const { return m_node == nullptr; }

    /** The backend's text form, or "<null AXUIElement>". */
    [[nodiscard]] QString debugDescription() const
    {
        return m_node ? m_node->debugDescription() : QStringLiteral("<null AXUIElement>");
    }

    friend bool operator==(const AXElementRef& a, const AXElementRef& b)
    {
        if (a.m_node == nullptr || b.m_node == nullptr) {
            return a.m_node == b.m_node;
        }
        return a.m_node->isSameElement(*b.m_node);
    }

private:
    std::shared_ptr<AXNode> m_node;
};

inline std::size_t qHash(const AXElementRef& ref, std::size_t seed = 0) noexcept
{
    return ref.isNull() ? seed : ref.node()->hashValue() ^ seed;
}

} // namespace quillora

template <> struct std::hash<quillora::AXElementRef>
{
    std::size_t operator()(const quillora::AXElementRef& ref) const noexcept { return qHash(ref); }
};
