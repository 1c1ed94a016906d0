#pragma once

#include "platform/AXElementRef.h"
#include "platform/AXValue.h"
#include "platform/Accessibility.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace quillora {

/** A parameterized attribute of a simulated element: its value as a function of the parameter. */
using SimParameterizedAttribute = std::function<AXReply<AXAny>(const AXAny& parameter)>;

/** One node of a simulated element tree: an application, an element inside it, or the desktop. */
struct SimNode final : AXNode, std::enable_shared_from_this<SimNode>
{
    enum class Kind { Application, Element, SystemWide };

    struct Action
    {
        QString name;
        QString description;
        std::function<void()> perform;
    };

    SimNode(Kind kind, qint64 pid, const QString& role);

    [[nodiscard]] QString debugDescription() const override;

    /** The stored value of an attribute, or null when the attribute was never set. */
    [[nodiscard]] const AXAny* storedAttribute(const QString& name) const;
    void store(const QString& name, AXAny value);

    /** Stored attribute names, then the ones the node computes (children, parent, menu bar, …). */
    [[nodiscard]] QStringList attributeNames() const;
    [[nodiscard]] bool hasAttribute(const QString& name) const;

    /**
     * The attribute's value: the stored one, else a computed one ("AXChildren", "AXParent"; for an
     * application "AXMenuBar", "AXWindows", "AXFocusedUIElement"). AttributeUnsupported when the
     * node has no such attribute, NoValue when it has no value now. The system-wide node's focus
     * attributes depend on the desktop and are answered there.
     */
    [[nodiscard]] AXReply<AXAny> value(const QString& name) const;

    /** The frontmost element of this subtree whose "AXFrame" contains `point`, or null. */
    [[nodiscard]] std::shared_ptr<SimNode> hitTest(AXPoint point);

    [[nodiscard]] QString role() const;
    [[nodiscard]] const Action* action(const QString& name) const;
    [[nodiscard]] const SimParameterizedAttribute* parameterized(const QString& name) const;

    /** The application node at the root of this node's tree (this node for an application). */
    [[nodiscard]] std::shared_ptr<SimNode> root();

    /** Makes this node and everything below it invalid. */
    void invalidate();

    Kind kind;
    qint64 pid;
    int serial;
    bool valid = true;
    // An application element made for a process that has no accessible tree.
    bool exposed = true;
    std::weak_ptr<SimNode> parent;
    std::vector<std::shared_ptr<SimNode>> children;
    std::vector<std::pair<QString, AXAny>> attributes;
    QSet<QString> settable;
    std::vector<std::pair<QString, SimParameterizedAttribute>> parameterizedAttributes;
    std::vector<Action> actions;
    std::optional<AXResult> failure;
    QHash<QString, AXResult> attributeFailures;
    QHash<QString, AXResult> actionFailures;
    float messagingTimeout = 0;
    // For an application: its focused element.
    std::weak_ptr<SimNode> focused;
};

} // namespace quillora
