#pragma once

#include "platform/AXElementRef.h"

#include <memory>

struct _AtspiAccessible;

namespace quillora {

/**
 * An accessible object of the AT-SPI bus behind an element reference. libatspi keeps one proxy per
 * object, so two nodes stand for the same object exactly when they hold the same proxy. Three kinds
 * exist: the system-wide element (the whole desktop), an application named by its process id (its
 * proxy is looked up when first needed, and may not exist), and an element with its proxy. Each
 * node keeps its own messaging time-out (0: the default).
 */
class AtspiNode final : public AXNode
{
public:
    enum class Kind { SystemWide, Application, Element };

    /** A node for `accessible`, which it references for its whole life; null for a null proxy. */
    [[nodiscard]] static std::shared_ptr<AtspiNode> element(_AtspiAccessible* accessible);
    [[nodiscard]] static std::shared_ptr<AtspiNode> application(qint64 pid);
    [[nodiscard]] static std::shared_ptr<AtspiNode> systemWide();

    /** The node behind a reference of this backend, or null for another backend's or a null one. */
    [[nodiscard]] static AtspiNode* from(const AXElementRef& element);

    explicit AtspiNode(Kind kind, qint64 pid = -1, _AtspiAccessible* accessible = nullptr);
    ~AtspiNode() override;

    [[nodiscard]] Kind kind() const { return m_kind; }
    [[nodiscard]] qint64 pid() const { return m_pid; }

    /** The proxy; null for the system-wide element and an application not yet looked up. */
    [[nodiscard]] _AtspiAccessible* accessible() const { return m_accessible; }

    /** Sets the proxy of an application node once it is found (referenced from then on). */
    void resolve(_AtspiAccessible* accessible);

    [[nodiscard]] float messagingTimeout() const { return m_timeout; }
    void setMessagingTimeout(float seconds) { m_timeout = seconds; }

    [[nodiscard]] bool isSameElement(const AXNode& other) const override;
    [[nodiscard]] std::size_t hashValue() const override;
    [[nodiscard]] QString debugDescription() const override;

private:
    Kind m_kind;
    qint64 m_pid;
    _AtspiAccessible* m_accessible = nullptr;
    float m_timeout = 0;
};

} // namespace quillora
