#pragma once

#include "platform/Accessibility.h"
#include "platform/sim/SimElement.h"

#include <QList>
#include <QMap>
#include <QSet>

#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace quillora {

class SimObserver;
class SimWorkspace;

/**
 * The simulated desktop's accessibility: per-process element trees built by tests, a system-wide
 * element whose focus follows the workspace's frontmost application, a trust flag, injectable
 * failures, unresponsive applications and observers. Every call is counted as one round trip.
 * Used from one thread at a time (observers deliver to the thread that attached them).
 */
class SimAccessibility final : public Accessibility
{
public:
    /** Calls on an element without a time-out of its own and without a global one wait this long. */
    static constexpr float kDefaultMessagingTimeout = 6.0F;

    explicit SimAccessibility(SimWorkspace& workspace);
    ~SimAccessibility() override;

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
    /** True when the last call to process `pid` ran out of its time-out (it is unresponsive). */
    [[nodiscard]] bool hasJustTimedOut(qint64 pid) const override { return m_timedOut.contains(pid); }
    QCoro::Task<bool> answers(qint64 pid, int budgetMs) override;
    [[nodiscard]] AXResult setMessagingTimeout(const AXElementRef& element, float seconds) override;
    [[nodiscard]] AXReply<AXObserverRef> createObserver(qint64 pid, AXObserverCallback callback) override;
    [[nodiscard]] AXResult addNotification(const AXObserverRef& observer, const AXElementRef& element,
                                           const QString& notification) override;
    [[nodiscard]] AXResult removeNotification(const AXObserverRef& observer, const AXElementRef& element,
                                              const QString& notification) override;
    void attachObserver(const AXObserverRef& observer) override;
    void detachObserver(const AXObserverRef& observer) override;

    // Control surface for tests and demos.

    /** The root of process `pid`'s element tree (role "AXApplication"), made on first use. */
    SimElement addApplication(qint64 pid);

    /** Ends process `pid`'s tree: references into it become invalid. */
    void removeApplication(qint64 pid);

    /** The tree of process `pid`, if it has one. */
    [[nodiscard]] std::optional<SimElement> application(qint64 pid) const;

    void setTrusted(bool trusted) { m_trusted = trusted; }
    /** How often `openAccessibilitySettings` was called. */
    [[nodiscard]] int settingsOpenCount() const { return m_settingsOpenCount; }
    /**
     * What `openAccessibilitySettings` answers from now on, and whether it grants trust at once, as
     * the Linux desktop does when it turns accessibility on for the session.
     */
    void setSettingsAnswer(const QString& notice, bool grants)
    {
        m_settingsNotice = notice;
        m_settingsGrant = grants;
    }
    /** How many trust checks asked to prompt the user while the process was not trusted. */
    [[nodiscard]] int trustPrompts() const { return m_trustPrompts; }

    /**
     * Makes process `pid` stop answering: calls on its elements wait their messaging time-out and
     * then fail with CannotComplete. The waits add up in `waitedSeconds()`.
     */
    void setUnresponsive(qint64 pid, bool unresponsive);
    [[nodiscard]] double waitedSeconds() const { return m_waitedSeconds; }

    /** The time-out set on the system-wide element (0: none). */
    [[nodiscard]] float globalMessagingTimeout() const { return m_globalTimeout; }

    /**
     * Posts a notification about `element`. Attached observers of its process that subscribed to
     * the name on the element itself or on its application element receive it on their thread.
     */
    void postNotification(const SimElement& element, const QString& notification,
                          const std::optional<AXDictionary>& info = std::nullopt);

    /** Live observers of process `pid`. */
    [[nodiscard]] QList<std::shared_ptr<SimObserver>> observers(qint64 pid) const;

    /** Round trips per operation name ("copyAttributeValue", …) since the last reset. */
    [[nodiscard]] const QMap<QString, int>& callCounts() const { return m_calls; }
    [[nodiscard]] int totalCalls() const;
    void resetCallCounts() { m_calls.clear(); }

private:
    AXReply<SimNode*> enter(const char* operation, const AXElementRef& element);
    AXReply<SimNode*> enterAttribute(const char* operation, const AXElementRef& element, const QString& attribute);
    /** Like `enter`, and also checks that `observer` is one of ours; fills `sim` on success. */
    AXReply<SimNode*> enterObserved(const char* operation, const AXObserverRef& observer, const AXElementRef& element,
                                    SimObserver*& sim);
    AXReply<AXAny> resolve(SimNode& node, const QString& attribute);
    [[nodiscard]] std::shared_ptr<SimNode> frontmostRoot() const;
    [[nodiscard]] bool answers(const SimNode& root) const;

    SimWorkspace& m_workspace;
    std::map<qint64, std::shared_ptr<SimNode>> m_apps;
    std::vector<qint64> m_appOrder;
    std::vector<std::weak_ptr<SimObserver>> m_observers;
    QSet<qint64> m_unresponsive;
    /** Processes whose last call ran out of its time-out. */
    QSet<qint64> m_timedOut;
    QMap<QString, int> m_calls;
    bool m_trusted = true;
    int m_settingsOpenCount = 0;
    QString m_settingsNotice;
    bool m_settingsGrant = false;
    int m_trustPrompts = 0;
    float m_globalTimeout = 0;
    double m_waitedSeconds = 0;
};

} // namespace quillora
