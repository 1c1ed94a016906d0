#include "platform/linux/LinuxAccessibility.h"

namespace quillora {

namespace {

constexpr AXResult kDisabled = AXResult::APIDisabled;

// An element reference that names its process but reaches no accessible object.
class DisconnectedNode final : public AXNode
{
public:
    explicit DisconnectedNode(qint64 pid)
        : m_pid(pid)
    {
    }

    [[nodiscard]] bool isSameElement(const AXNode& other) const override
    {
        const auto* node = dynamic_cast<const DisconnectedNode*>(&other);
        return node != nullptr && node->m_pid == m_pid;
    }
    [[nodiscard]] std::size_t hashValue() const override { return std::hash<qint64>()(m_pid); }
    [[nodiscard]] QString debugDescription() const override
    {
        return QStringLiteral("<AXUIElement pid=%1 (not connected)>").arg(m_pid);
    }

private:
    qint64 m_pid;
};

} // namespace

bool LinuxAccessibility::isProcessTrusted(TrustPrompt)
{
    return false;
}

QString LinuxAccessibility::openAccessibilitySettings()
{
    return QStringLiteral("Turn on assistive technologies in your desktop's accessibility settings, then restart "
                          "the applications whose text you want to polish.");
}

AXElementRef LinuxAccessibility::createApplication(qint64 pid)
{
    return AXElementRef(std::make_shared<DisconnectedNode>(pid));
}

AXElementRef LinuxAccessibility::createSystemWide()
{
    return AXElementRef(std::make_shared<DisconnectedNode>(0));
}

AXReply<QStringList> LinuxAccessibility::copyAttributeNames(const AXElementRef&)
{
    return kDisabled;
}

AXReply<AXAny> LinuxAccessibility::copyAttributeValue(const AXElementRef&, const QString&)
{
    return kDisabled;
}

AXReply<AXList> LinuxAccessibility::copyAttributeValues(const AXElementRef&, const QString&, qint64, qint64)
{
    return kDisabled;
}

AXReply<qint64> LinuxAccessibility::getAttributeValueCount(const AXElementRef&, const QString&)
{
    return kDisabled;
}

AXReply<bool> LinuxAccessibility::isAttributeSettable(const AXElementRef&, const QString&)
{
    return kDisabled;
}

AXResult LinuxAccessibility::setAttributeValue(const AXElementRef&, const QString&, const AXAny&)
{
    return kDisabled;
}

AXReply<AXList> LinuxAccessibility::copyMultipleAttributeValues(const AXElementRef&, const QStringList&)
{
    return kDisabled;
}

AXReply<QStringList> LinuxAccessibility::copyParameterizedAttributeNames(const AXElementRef&)
{
    return kDisabled;
}

AXReply<AXAny> LinuxAccessibility::copyParameterizedAttributeValue(const AXElementRef&, const QString&, const AXAny&)
{
    return kDisabled;
}

AXReply<QStringList> LinuxAccessibility::copyActionNames(const AXElementRef&)
{
    return kDisabled;
}

AXReply<QString> LinuxAccessibility::copyActionDescription(const AXElementRef&, const QString&)
{
    return kDisabled;
}

AXResult LinuxAccessibility::performAction(const AXElementRef&, const QString&)
{
    return kDisabled;
}

AXReply<AXElementRef> LinuxAccessibility::copyElementAtPosition(const AXElementRef&, float, float)
{
    return kDisabled;
}

AXReply<qint64> LinuxAccessibility::getPid(const AXElementRef&)
{
    return kDisabled;
}

AXResult LinuxAccessibility::setMessagingTimeout(const AXElementRef&, float)
{
    return kDisabled;
}

AXReply<AXObserverRef> LinuxAccessibility::createObserver(qint64, AXObserverCallback)
{
    return kDisabled;
}

AXResult LinuxAccessibility::addNotification(const AXObserverRef&, const AXElementRef&, const QString&)
{
    return kDisabled;
}

AXResult LinuxAccessibility::removeNotification(const AXObserverRef&, const AXElementRef&, const QString&)
{
    return kDisabled;
}

void LinuxAccessibility::attachObserver(const AXObserverRef&)
{
}

void LinuxAccessibility::detachObserver(const AXObserverRef&)
{
}

} // namespace quillora
