#pragma once

#include "platform/Accessibility.h"

#include <QRectF>

#include <functional>
#include <memory>
#include <optional>

struct _AtspiAccessible;

namespace quillora {

class AtspiDesktop;
class AtspiNode;
class AtspiStatusWatch;
class Screens;
class Workspace;

/**
 * Accessibility on the Linux desktop, over the AT-SPI bus through libatspi. The "AX…" attributes,
 * actions and notifications map onto AT-SPI as ACCESSIBILITY.md beside this file lays out. The
 * focused element comes from focus events, checked against the frontmost application, with a tree
 * walk only when no event names it. Every call waits at most its element's messaging time-out
 * (by default `kDefaultMessagingTimeout`), so an application that stops answering costs at most
 * that and the call fails with CannotComplete. Without an accessibility bus every call answers
 * APIDisabled. Main thread only; observers deliver on the thread that attached them.
 */
class LinuxAccessibility final : public Accessibility
{
public:
    /** The messaging time-out of elements without one of their own, in seconds. */
    static constexpr float kDefaultMessagingTimeout = 0.3F;
    /** How long a time-out counts as just now, in milliseconds. */
    static constexpr qint64 kTimedOutMemoryMs = 2000;

    /**
     * What the session lacks for the selection loop beyond accessibility (for example XTest or
     * XInput 2 on X11): none when nothing is missing, else a sentence saying what is missing and
     * what would provide it. Asked until it answers none.
     */
    using InputCheck = std::function<std::optional<QString>()>;

    /**
     * Uses `workspace` for the frontmost application, `screens` for coordinate conversion and
     * `inputCheck` for what the session offers besides accessibility.
     */
    LinuxAccessibility(Workspace& workspace, const Screens& screens, InputCheck inputCheck);
    ~LinuxAccessibility() override;

    /**
     * True when the accessibility bus answers and is enabled and the input check finds nothing
     * missing. The prompt is ignored: the desktop has no consent dialog. Never fails.
     */
    [[nodiscard]] bool isProcessTrusted(TrustPrompt prompt) override;

    /**
     * Turns accessibility on for the session ("org.a11y.Status" IsEnabled and, where the desktop
     * has it, the GNOME "toolkit-accessibility" setting) and names the running applications that
     * must be restarted to expose their text. When the input check finds something missing, it
     * explains that instead. Never fails.
     */
    QString openAccessibilitySettings() override;

    /**
     * Calls `onChange` through the event loop whenever the selection of a text element changes, or
     * an element gains focus, in another process; an empty function stops. False when no
     * accessibility bus answers.
     */
    [[nodiscard]] bool watchSelections(std::function<void()> onChange);

    /**
     * The bounds of the last selected character of the focused element, relative to its window
     * (top-left origin, logical pixels); none when nothing is selected or the application does
     * not answer within the messaging time-out.
     */
    [[nodiscard]] std::optional<QRectF> selectionEndInWindow();

    QCoro::Task<bool> answers(qint64 pid, int budgetMs) override;
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

    /**
     * True when a call ran out of its time-out in the last `kTimedOutMemoryMs` and `pid` is the
     * frontmost application (or the desktop does not name one): calls go to the application in
     * front, and one that is hung makes them time out.
     */
    [[nodiscard]] bool hasJustTimedOut(qint64 pid) const override;
    [[nodiscard]] AXResult setMessagingTimeout(const AXElementRef& element, float seconds) override;
    [[nodiscard]] AXReply<AXObserverRef> createObserver(qint64 pid, AXObserverCallback callback) override;
    [[nodiscard]] AXResult addNotification(const AXObserverRef& observer, const AXElementRef& element,
                                           const QString& notification) override;
    [[nodiscard]] AXResult removeNotification(const AXObserverRef& observer, const AXElementRef& element,
                                              const QString& notification) override;
    void attachObserver(const AXObserverRef& observer) override;
    void detachObserver(const AXObserverRef& observer) override;

    /** Calls made to the accessibility bus so far (reads libatspi answers from its cache count too). */
    [[nodiscard]] static quint64 callCount();

private:
    /** Applies the budget of `node` to the next calls. */
    /** The element's node, with the bus connected; IllegalArgument or APIDisabled when either fails. */
    AXResult enter(const AXElementRef& element, AtspiNode*& node);
    void prepareCall(const AtspiNode* node);
    [[nodiscard]] int budgetMs(const AtspiNode* node) const;
    [[nodiscard]] AXReply<AXAny> applicationAttribute(AtspiNode* node, const QString& attribute);
    [[nodiscard]] AXReply<AXAny> systemWideAttribute(const QString& attribute);
    /** Deletes the selected range of `accessible` and inserts `replacement` there, then reads it back. */
    [[nodiscard]] AXResult replaceSelection(_AtspiAccessible* accessible, const QString& replacement);

    Workspace& m_workspace;
    const Screens& m_screens;
    std::unique_ptr<AtspiDesktop> m_atspi;
    std::unique_ptr<AtspiStatusWatch> m_status;
    float m_globalTimeout = 0;
    InputCheck m_inputCheck;
    /** Set once the input check found nothing missing: it is not asked again. */
    bool m_inputComplete = false;
};

} // namespace quillora
