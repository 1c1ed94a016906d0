#pragma once

#include "platform/AXElementRef.h"
#include "platform/AXValue.h"
#include "support/WaitFor.h"

#include <QPoint>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace quillora {
class LinuxAccessibility;
class X11Workspace;
class QtScreens;
} // namespace quillora

namespace quillora::test {

class DesktopSession;

/**
 * Plays the user on the test desktop: the pointer and windows through xdotool (as real input, by
 * XTest), the clipboard through xclip, and what applications show through AT-SPI with the
 * backend under test.
 */
class DesktopDriver final
{
public:
    explicit DesktopDriver(DesktopSession& session);
    ~DesktopDriver();

    /** The first visible top-level window of `pid` whose name matches `namePattern` (any when empty). */
    [[nodiscard]] std::optional<quint64> window(qint64 pid, const QString& namePattern = QString()) const;
    /** Waits up to `timeoutMs` for such a window. */
    [[nodiscard]] std::optional<quint64> waitForWindow(qint64 pid, const QString& namePattern, int timeoutMs) const;
    /** The window's client area in screen pixels. */
    [[nodiscard]] std::optional<QRect> geometry(quint64 window) const;
    [[nodiscard]] std::optional<quint64> activeWindow() const;
    bool activate(quint64 window) const;

    void moveTo(QPoint point) const;
    /** Clicks `count` times in quick succession, as a double or triple click. */
    void click(QPoint point, int count = 1) const;
    /** Presses at `from`, moves in steps to `to` and releases there. */
    void drag(QPoint from, QPoint to) const;
    /** The xdotool arguments of that gesture, in one run: press at `from`, eight steps to `to`, release. */
    [[nodiscard]] static QStringList dragArguments(QPoint from, QPoint to);
    /** The CLIPBOARD's text as another application reads it. */
    [[nodiscard]] QString clipboardText() const;

    /** The first element of `pid` (depth first) whose role and title satisfy `matches`. */
    [[nodiscard]] std::optional<AXElementRef>
    findElement(qint64 pid, const std::function<bool(const QString& role, const QString& title)>& matches) const;
    /** Waits up to `timeoutMs` for such an element. */
    [[nodiscard]] std::optional<AXElementRef>
    waitForElement(qint64 pid, const std::function<bool(const QString& role, const QString& title)>& matches,
                   int timeoutMs) const;
    [[nodiscard]] QString text(const AXElementRef& element) const;
    [[nodiscard]] QString title(const AXElementRef& element) const;
    [[nodiscard]] std::vector<AXElementRef> children(const AXElementRef& element) const;
    [[nodiscard]] std::optional<AXElementRef> parent(const AXElementRef& element) const;
    /** An element's frame in screen pixels. */
    [[nodiscard]] std::optional<QRect> frame(const AXElementRef& element) const;
    /** The screen pixels of a range of an element's text. */
    [[nodiscard]] std::optional<QRect> rangeFrame(const AXElementRef& element, AXRange range) const;

    [[nodiscard]] LinuxAccessibility& accessibility() const { return *m_accessibility; }

private:
    QString xdotool(const QStringList& arguments) const;
    [[nodiscard]] QRect toPixels(const AXRect& rect) const;

    DesktopSession& m_session;
    std::unique_ptr<QtScreens> m_screens;
    std::unique_ptr<X11Workspace> m_workspace;
    std::unique_ptr<LinuxAccessibility> m_accessibility;
};

} // namespace quillora::test
