#pragma once

#include "platform/Accessibility.h"

namespace quillora {

/** Accessibility on the Linux desktop: a stub that reports the interface as disabled until the AT-SPI backend lands. */
class LinuxAccessibility final : public Accessibility
{
public:
    /** Always false: without the AT-SPI backend the process cannot use accessibility. */
    [[nodiscard]] bool isProcessTrusted(TrustPrompt prompt) override;
    QString openAccessibilitySettings() override;
    [[nodiscard]] AXElementRef createApplication(qint64 pid) override;
    [[nodiscard]] AXElementRef createSystemWide() override;
    [[nodiscard]] AXReply<QStringList> copyAttributeNames(const AXElementRef& element) override;
    [[nodiscard]] AXReply<AXAny> copyAttributeValue(const AXElementRef& element, const QString& attribute) override;
    [[nodiscard]] AXReply<AXList> copyAttributeValues(const AXElementRef& element, const QString& attribute,
                                                      qint64 index, qint64 maxValues) override;
    [[nodiscard]] AXReply<qint64> getAttributeValueCount(const AXElementRef& element,
                                                         const QString& attribute) override;
    [[nodiscard]] AXReply<bool> isAttributeSettable(const AXElementRef& element, const QString& attribute) override;
    [[nodiscard]] AXResult setAttributeValue(const AXElementRef& element, const QString& attribute,
                                             const AXAny& value) override;
    [[nodiscard]] AXReply<AXList> copyMultipleAttributeValues(const AXElementRef& element,
                                                              const QStringList& attributes) override;
    [[nodiscard]] AXReply<QStringList> copyParameterizedAttributeNames(const AXElementRef& element) override;
    [[nodiscard]] AXReply<AXAny> copyParameterizedAttributeValue(const AXElementRef& element, const QString& attribute,
                                                                 const AXAny& parameter) override;
    [[nodiscard]] AXReply<QStringList> copyActionNames(const AXElementRef& element) override;
    [[nodiscard]] AXReply<QString> copyActionDescription(const AXElementRef& element, const QString& action) override;
    [[nodiscard]] AXResult performAction(const AXElementRef& element, const QString& action) override;
    [[nodiscard]] AXReply<AXElementRef> copyElementAtPosition(const AXElementRef& element, float x, float y) override;
    [[nodiscard]] AXReply<qint64> getPid(const AXElementRef& element) override;
    [[nodiscard]] AXResult setMessagingTimeout(const AXElementRef& element, float seconds) override;
    [[nodiscard]] AXReply<AXObserverRef> createObserver(qint64 pid, AXObserverCallback callback) override;
    [[nodiscard]] AXResult addNotification(const AXObserverRef& observer, const AXElementRef& element,
                                           const QString& notification) override;
    [[nodiscard]] AXResult removeNotification(const AXObserverRef& observer, const AXElementRef& element,
                                              const QString& notification) override;
    void attachObserver(const AXObserverRef& observer) override;
    void detachObserver(const AXObserverRef& observer) override;
};

} // namespace quillora
