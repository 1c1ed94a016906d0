#pragma once

#include "platform/AXElementRef.h"
#include "platform/AXValue.h"
#include "platform/sim/SimNode.h"

#include <QList>
#include <QString>

#include <functional>
#include <initializer_list>
#include <memory>
#include <utility>

namespace quillora {

/**
 * Handle to one element of the simulated desktop, for building trees and steering them in tests.
 * Copies refer to the same element. Changes apply at once to every reference handed out.
 *
 * Hit testing uses the "AXFrame" attribute, a rectangle in screen points: its origin is
 * the element's bottom-left corner, y grows upward.
 */
class SimElement
{
public:
    explicit SimElement(std::shared_ptr<SimNode> node);

    /**
     * Adds a child with role `role` and the given attributes, after the existing children, and
     * returns it. A child with role "AXMenuBar" of an application is also its "AXMenuBar", a child
     * with role "AXWindow" one of its "AXWindows".
     */
    SimElement child(const QString& role, std::initializer_list<std::pair<QString, AXAny>> attributes = {}) const;

    /** Stores an attribute value; `AXNull` keeps the attribute but gives it no value. */
    SimElement set(const QString& attribute, AXAny value) const;

    /** Lets "set attribute" calls write this attribute. */
    SimElement makeSettable(const QString& attribute) const;

    /** Adds a parameterized attribute whose value is `function` of the parameter. */
    SimElement setParameterized(const QString& attribute, SimParameterizedAttribute function) const;

    /** Adds an action; performing it runs `perform` inside the call. */
    SimElement addAction(const QString& action, std::function<void()> perform = {},
                         const QString& description = {}) const;

    /** Every read or write of `attribute` (also in multiple reads) answers `code`. */
    SimElement failAttribute(const QString& attribute, AXResult code) const;

    /** Performing or describing `action` answers `code`. */
    SimElement failAction(const QString& action, AXResult code) const;

    /** Every call on this element answers `code`; `AXResult::Success` lifts it. */
    SimElement failAll(AXResult code) const;

    /** Makes this element its application's focused element. */
    void focus() const;

    /** Removes the element and its subtree; references to them become invalid. */
    void destroy() const;

    /** The stored value of an attribute (`AXNull` when unset). */
    [[nodiscard]] AXAny attribute(const QString& attribute) const;

    /** The messaging time-out last set on this element (0: none). */
    [[nodiscard]] float messagingTimeout() const { return m_node->messagingTimeout; }

    [[nodiscard]] AXElementRef ref() const { return AXElementRef(m_node); }
    [[nodiscard]] qint64 pid() const { return m_node->pid; }
    [[nodiscard]] bool isValid() const { return m_node->valid; }
    [[nodiscard]] QList<SimElement> children() const;
    [[nodiscard]] const std::shared_ptr<SimNode>& node() const { return m_node; }

    friend bool operator==(const SimElement& a, const SimElement& b) { return a.m_node == b.m_node; }

private:
    std::shared_ptr<SimNode> m_node;
};

} // namespace quillora
