#include "DesktopDriver.h"

#include "DesktopSession.h"
#include "RawKeyCounter.h"
#include "platform/linux/QtScreens.h"
#include "platform/linux/atspi/LinuxAccessibility.h"
#include "platform/linux/x11/X11Workspace.h"

#include <QProcess>

namespace quillora::test {

namespace {

constexpr int kSearchLimit = 3000;

} // namespace

DesktopDriver::DesktopDriver(DesktopSession& session)
    : m_session(session)
    , m_screens(std::make_unique<QtScreens>())
    , m_workspace(std::make_unique<X11Workspace>())
    , m_accessibility(
          std::make_unique<LinuxAccessibility>(*m_workspace, *m_screens, [] { return std::optional<QString>(); }))
{
    // The test reads other applications' windows, which may be busy starting: a generous budget.
    const AXResult result = m_accessibility->setMessagingTimeout(m_accessibility->createSystemWide(), 2.0F);
    Q_UNUSED(result);
}

DesktopDriver::~DesktopDriver() = default;

QString DesktopDriver::xdotool(const QStringList& arguments) const
{
    return QString::fromUtf8(m_session.run(QStringLiteral("xdotool"), arguments)).trimmed();
}

std::optional<quint64> DesktopDriver::window(qint64 pid, const QString& namePattern) const
{
    // "--all": every condition must hold (xdotool matches any one by default).
    QStringList arguments{QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("--onlyvisible"),
                          QStringLiteral("--pid"), QString::number(pid)};
    if (!namePattern.isEmpty()) {
        arguments << QStringLiteral("--name") << namePattern;
    }
    const QStringList ids = xdotool(arguments).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (ids.isEmpty()) {
        return std::nullopt;
    }
    bool ok = false;
    const quint64 id = ids.constFirst().toULongLong(&ok);
    return ok ? std::optional<quint64>(id) : std::nullopt;
}

std::optional<quint64> DesktopDriver::waitForWindow(qint64 pid, const QString& namePattern, int timeoutMs) const
{
    std::optional<quint64> found;
    waitFor([&] { return (found = window(pid, namePattern)).has_value(); }, timeoutMs);
    return found;
}

std::optional<QRect> DesktopDriver::geometry(quint64 window) const
{
    // xdotool's own geometry counts the window manager's frame twice; the server's answer is exact.
    return clientGeometry(window);
}

std::optional<quint64> DesktopDriver::activeWindow() const
{
    bool ok = false;
    const quint64 id = xdotool({QStringLiteral("getactivewindow")}).toULongLong(&ok);
    return ok ? std::optional<quint64>(id) : std::nullopt;
}

bool DesktopDriver::activate(quint64 window) const
{
    xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), QString::number(window)});
    return activeWindow() == window;
}

void DesktopDriver::moveTo(QPoint point) const
{
    xdotool({QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(point.x()),
             QString::number(point.y())});
}

void DesktopDriver::click(QPoint point, int count) const
{
    moveTo(point);
    xdotool({QStringLiteral("click"), QStringLiteral("--repeat"), QString::number(count), QStringLiteral("--delay"),
             QStringLiteral("80"), QStringLiteral("1")});
}

QStringList DesktopDriver::dragArguments(QPoint from, QPoint to)
{
    QStringList arguments{QStringLiteral("mousemove"), QString::number(from.x()), QString::number(from.y()),
                          QStringLiteral("mousedown"), QStringLiteral("1")};
    constexpr int steps = 8;
    for (int step = 1; step <= steps; ++step) {
        const QPoint at = from + (to - from) * step / steps;
        arguments << QStringLiteral("sleep") << QStringLiteral("0.02") << QStringLiteral("mousemove")
                  << QString::number(at.x()) << QString::number(at.y());
    }
    arguments << QStringLiteral("sleep") << QStringLiteral("0.02") << QStringLiteral("mouseup") << QStringLiteral("1");
    return arguments;
}

void DesktopDriver::drag(QPoint from, QPoint to) const
{
    // One xdotool run for the whole gesture, while this process's event loop keeps running: a
    // tracker in this process must see the press before the pointer moves on.
    const QStringList arguments = dragArguments(from, to);
    QProcess gesture;
    gesture.setProcessEnvironment(m_session.environment());
    gesture.start(QStringLiteral("xdotool"), arguments);
    waitFor([&] { return gesture.state() == QProcess::NotRunning; }, 5000);
}

QString DesktopDriver::clipboardText() const
{
    return QString::fromUtf8(m_session.run(
        QStringLiteral("xclip"), {QStringLiteral("-o"), QStringLiteral("-selection"), QStringLiteral("clipboard")}));
}

std::optional<AXElementRef>
DesktopDriver::findElement(qint64 pid, const std::function<bool(const QString&, const QString&)>& matches) const
{
    std::vector<AXElementRef> pending{m_accessibility->createApplication(pid)};
    int visited = 0;
    while (!pending.empty() && visited++ < kSearchLimit) {
        const AXElementRef element = pending.front();
        pending.erase(pending.begin());
        const AXReply<AXAny> role = m_accessibility->copyAttributeValue(element, QStringLiteral("AXRole"));
        const QString* roleName = role.ok() ? role.value.get<QString>() : nullptr;
        if (roleName != nullptr && matches(*roleName, title(element))) {
            return element;
        }
        const std::vector<AXElementRef> below = children(element);
        pending.insert(pending.end(), below.begin(), below.end());
    }
    return std::nullopt;
}

std::optional<AXElementRef>
DesktopDriver::waitForElement(qint64 pid, const std::function<bool(const QString&, const QString&)>& matches,
                              int timeoutMs) const
{
    std::optional<AXElementRef> found;
    waitFor([&] { return (found = findElement(pid, matches)).has_value(); }, timeoutMs);
    return found;
}

QString DesktopDriver::text(const AXElementRef& element) const
{
    const AXReply<AXAny> value = m_accessibility->copyAttributeValue(element, QStringLiteral("AXValue"));
    const QString* text = value.ok() ? value.value.get<QString>() : nullptr;
    return text != nullptr ? *text : QString();
}

QString DesktopDriver::title(const AXElementRef& element) const
{
    const AXReply<AXAny> value = m_accessibility->copyAttributeValue(element, QStringLiteral("AXTitle"));
    const QString* text = value.ok() ? value.value.get<QString>() : nullptr;
    return text != nullptr ? *text : QString();
}

std::vector<AXElementRef> DesktopDriver::children(const AXElementRef& element) const
{
    std::vector<AXElementRef> list;
    const AXReply<AXAny> value = m_accessibility->copyAttributeValue(element, QStringLiteral("AXChildren"));
    if (const AXList* items = value.ok() ? value.value.get<AXList>() : nullptr) {
        for (const AXAny& item : *items) {
            if (const AXElementRef* child = item.get<AXElementRef>()) {
                list.push_back(*child);
            }
        }
    }
    return list;
}

std::optional<AXElementRef> DesktopDriver::parent(const AXElementRef& element) const
{
    const AXReply<AXAny> value = m_accessibility->copyAttributeValue(element, QStringLiteral("AXParent"));
    const AXElementRef* found = value.ok() ? value.value.get<AXElementRef>() : nullptr;
    return found != nullptr ? std::optional<AXElementRef>(*found) : std::nullopt;
}

QRect DesktopDriver::toPixels(const AXRect& rect) const
{
    const QRectF design(rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
    return m_screens->coordinates().toQt(design).toRect();
}

std::optional<QRect> DesktopDriver::frame(const AXElementRef& element) const
{
    const AXReply<AXAny> value = m_accessibility->copyAttributeValue(element, QStringLiteral("AXFrame"));
    const AXRect* rect = value.ok() ? value.value.get<AXRect>() : nullptr;
    return rect != nullptr ? std::optional<QRect>(toPixels(*rect)) : std::nullopt;
}

std::optional<QRect> DesktopDriver::rangeFrame(const AXElementRef& element, AXRange range) const
{
    const AXReply<AXAny> value =
        m_accessibility->copyParameterizedAttributeValue(element, QStringLiteral("AXBoundsForRange"), AXAny(range));
    const AXRect* rect = value.ok() ? value.value.get<AXRect>() : nullptr;
    return rect != nullptr ? std::optional<QRect>(toPixels(*rect)) : std::nullopt;
}

} // namespace quillora::test
