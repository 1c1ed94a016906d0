#include "platform/linux/atspi/LinuxAccessibility.h"

#include "platform/Screens.h"
#include "platform/Workspace.h"
#include "platform/linux/atspi/AtspiBus.h"
#include "platform/linux/atspi/AtspiCalls.h"
#include "platform/linux/atspi/AtspiDesktop.h"
#include "platform/linux/atspi/AtspiElementAttributes.h"
#include "platform/linux/atspi/AtspiEventHub.h"
#include "platform/linux/atspi/AtspiNode.h"
#include "platform/linux/atspi/AtspiPing.h"
#include "platform/linux/atspi/AtspiStatusWatch.h"
#include "platform/linux/atspi/AtspiVocabulary.h"

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QSet>

#include <atspi/atspi.h>

#include <cmath>

namespace quillora {

using namespace AtspiCalls;

namespace {

// Turns on GNOME's accessibility switch for toolkits started from now on. Started and left to
// itself: where gsettings or the key is missing it fails on its own, and nobody waits for it.
void enableToolkitAccessibility()
{
    QProcess gsettings;
    gsettings.setProgram(QStringLiteral("gsettings"));
    gsettings.setArguments({QStringLiteral("set"), QStringLiteral("org.gnome.desktop.interface"),
                            QStringLiteral("toolkit-accessibility"), QStringLiteral("true")});
    gsettings.setStandardOutputFile(QProcess::nullDevice());
    gsettings.setStandardErrorFile(QProcess::nullDevice());
    gsettings.startDetached();
}

// Processes with windows that hold no text to read, whose restart would help nobody: Quillora's
// own programs and the tray hosts that show its entry.
bool isHelper(qint64 pid)
{
    if (pid == QCoreApplication::applicationPid()) {
        return true;
    }
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    if (!comm.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray name = comm.readAll().trimmed();
    static const QList<QByteArray> trayHosts = {"trayer", "stalonetray", "snixembed", "xembedsniproxy"};
    return name.startsWith("quillora") || trayHosts.contains(name);
}

} // namespace

LinuxAccessibility::LinuxAccessibility(Workspace& workspace, const Screens& screens, InputCheck inputCheck)
    : m_workspace(workspace)
    , m_screens(screens)
    , m_atspi(std::make_unique<AtspiDesktop>(workspace))
    , m_status(std::make_unique<AtspiStatusWatch>())
    , m_inputCheck(std::move(inputCheck))
{
}

LinuxAccessibility::~LinuxAccessibility()
{
}

int LinuxAccessibility::budgetMs(const AtspiNode* node) const
{
    float seconds = kDefaultMessagingTimeout;
    if (node != nullptr && node->messagingTimeout() > 0) {
        seconds = node->messagingTimeout();
    } else if (m_globalTimeout > 0) {
        seconds = m_globalTimeout;
    }
    return std::max(1, int(std::lround(seconds * 1000)));
}

AXResult LinuxAccessibility::enter(const AXElementRef& element, AtspiNode*& node)
{
    node = AtspiNode::from(element);
    if (node == nullptr) {
        return AXResult::IllegalArgument;
    }
    // The bus is reached within the call's budget, so a hung bus costs no more than a hung application.
    if (!m_atspi->connect(budgetMs(nullptr))) {
        return AXResult::APIDisabled;
    }
    return AXResult::Success;
}

void LinuxAccessibility::prepareCall(const AtspiNode* node)
{
    atspi_set_timeout(budgetMs(node), 0);
}

bool LinuxAccessibility::isProcessTrusted(TrustPrompt)
{
    if (!m_inputComplete) {
        m_inputComplete = !m_inputCheck();
        if (!m_inputComplete) {
            return false;
        }
    }
    // Asked once; from then on the launcher's announcements keep the answer, so that the checks a
    // shown window makes every second never wait on another process.
    if (const std::optional<bool> known = m_status->isEnabled()) {
        return *known;
    }
    const int budget = budgetMs(nullptr);
    if (!AtspiBus::address(budget)) {
        return false;
    }
    const std::optional<bool> enabled = AtspiBus::isEnabled(budget);
    if (enabled) {
        m_status->record(*enabled);
    }
    return enabled.value_or(false);
}

QString LinuxAccessibility::openAccessibilitySettings()
{
    if (!m_inputComplete) {
        if (std::optional<QString> missing = m_inputCheck()) {
            return *missing;
        }
        m_inputComplete = true;
    }
    const int budget = budgetMs(nullptr);
    if (!AtspiBus::enable(budget)) {
        return QStringLiteral("Accessibility could not be turned on: no accessibility bus answers in this session. "
                              "Install at-spi2-core and log in again.");
    }
    m_status->record(true);
    enableToolkitAccessibility();
    // Applications read the switch when they start: those not on the bus yet need a restart.
    QSet<qint64> exposed;
    if (m_atspi->connect(budgetMs(nullptr))) {
        const QList<AtspiAccessible*> applications = children(m_atspi->root());
        for (AtspiAccessible* application : applications) {
            exposed.insert(m_atspi->pidOf(application));
        }
        unrefAll(applications);
    }
    QStringList restart;
    for (const RunningApplication& application : m_workspace.runningApplications()) {
        if (!isHelper(application.pid) && !exposed.contains(application.pid)) {
            restart.append(application.localizedName.value_or(QStringLiteral("process %1").arg(application.pid)));
        }
    }
    restart.removeDuplicates();
    if (restart.isEmpty()) {
        return {};
    }
    return QStringLiteral("Restart these applications so that Quillora can read their text: %1.")
        .arg(restart.join(QStringLiteral(", ")));
}

QCoro::Task<bool> LinuxAccessibility::answers(qint64 pid, int budgetMs)
{
    // The registry and the bus daemon answer the lookup; the application itself only the ping.
    QByteArray busName;
    if (m_atspi->connect(this->budgetMs(nullptr))) {
        if (AtspiAccessible* application = m_atspi->applicationFor(pid)) {
            const AtspiObject* object = ATSPI_OBJECT(application);
            if (object->app != nullptr && object->app->bus_name != nullptr) {
                busName = object->app->bus_name;
            }
            g_object_unref(application);
        }
    }
    if (busName.isEmpty()) {
        // Not on the bus: calls to it fail at once, there is nothing to wait for.
        co_return true;
    }
    const bool answered = co_await AtspiPing::send(busName, budgetMs);
    co_return answered;
}

bool LinuxAccessibility::hasJustTimedOut(qint64 pid) const
{
    const QElapsedTimer& timeOut = AtspiCalls::lastTimeOut();
    if (!timeOut.isValid() || timeOut.elapsed() > kTimedOutMemoryMs) {
        return false;
    }
    const std::optional<RunningApplication> front = m_workspace.frontmostApplication();
    return !front || front->pid == pid;
}

quint64 LinuxAccessibility::callCount()
{
    return AtspiCalls::callCount();
}

AXElementRef LinuxAccessibility::createApplication(qint64 pid)
{
    return AXElementRef(AtspiNode::application(pid));
}

AXElementRef LinuxAccessibility::createSystemWide()
{
    return AXElementRef(AtspiNode::systemWide());
}

AXReply<QStringList> LinuxAccessibility::copyAttributeNames(const AXElementRef& element)
{
    AtspiNode* node = nullptr;
    if (const AXResult entered = enter(element, node); entered != AXResult::Success) {
        return entered;
    }
    prepareCall(node);
    switch (node->kind()) {
    case AtspiNode::Kind::SystemWide:
        return QStringList{QStringLiteral("AXRole"), QStringLiteral("AXChildren"), QStringLiteral("AXFocusedUIElement"),
                           QStringLiteral("AXFocusedApplication")};
    case AtspiNode::Kind::Application:
        if (m_atspi->accessibleOf(node) == nullptr) {
            return AXResult::CannotComplete;
        }
        return QStringList{QStringLiteral("AXRole"),         QStringLiteral("AXTitle"),
                           QStringLiteral("AXChildren"),     QStringLiteral("AXWindows"),
                           QStringLiteral("AXMenuBar"),      QStringLiteral("AXFocusedUIElement"),
                           QStringLiteral("AXFocusedWindow")};
    case AtspiNode::Kind::Element:
        break;
    }
    AtspiAccessible* accessible = node->accessible();
    QStringList names{
        QStringLiteral("AXRole"),        QStringLiteral("AXRoleDescription"),  QStringLiteral("AXTitle"),
        QStringLiteral("AXDescription"), QStringLiteral("AXParent"),           QStringLiteral("AXChildren"),
        QStringLiteral("AXEnabled"),     QStringLiteral("AXFocused"),          QStringLiteral("AXIdentifier"),
        QStringLiteral("AXWindow"),      QStringLiteral("AXTopLevelUIElement")};
    if ((GPtr<AtspiComponent>(atspi_accessible_get_component_iface(accessible)) != nullptr)) {
        names << QStringLiteral("AXPosition") << QStringLiteral("AXSize") << QStringLiteral("AXFrame");
    }
    if ((GPtr<AtspiText>(atspi_accessible_get_text_iface(accessible)) != nullptr)) {
        names << QStringLiteral("AXValue") << QStringLiteral("AXSelectedText") << QStringLiteral("AXSelectedTextRange")
              << QStringLiteral("AXNumberOfCharacters");
    }
    if (const std::optional<int> value = role(accessible); value && AtspiVocabulary::isMenuItemRole(*value)) {
        names << QStringLiteral("AXMenuItemCmdChar");
    }
    return names;
}

AXReply<AXAny> LinuxAccessibility::systemWideAttribute(const QString& attribute)
{
    if (attribute == QLatin1String("AXRole")) {
        return AXAny(QStringLiteral("AXSystemWide"));
    }
    if (attribute == QLatin1String("AXFocusedUIElement")) {
        const AXReply<AXElementRef> focused = m_atspi->focusedElement(std::nullopt);
        return focused.ok() ? AXReply<AXAny>(AXAny(focused.value)) : AXReply<AXAny>(focused.result);
    }
    if (attribute == QLatin1String("AXFocusedApplication")) {
        const std::optional<RunningApplication> front = m_workspace.frontmostApplication();
        if (!front) {
            return AXResult::NoValue;
        }
        return AXAny(createApplication(front->pid));
    }
    if (attribute == QLatin1String("AXChildren")) {
        return AXAny(elementList(children(m_atspi->root())));
    }
    return AXResult::AttributeUnsupported;
}

AXReply<AXAny> LinuxAccessibility::applicationAttribute(AtspiNode* node, const QString& attribute)
{
    AtspiAccessible* application = m_atspi->accessibleOf(node);
    if (application == nullptr) {
        // A process that never registered on the bus exposes nothing (xterm, for one).
        return AXResult::CannotComplete;
    }
    if (attribute == QLatin1String("AXRole")) {
        return AXAny(QStringLiteral("AXApplication"));
    }
    if (attribute == QLatin1String("AXMenuBar")) {
        const AXReply<AXElementRef> bar = m_atspi->menuBarOf(application);
        return bar.ok() ? AXReply<AXAny>(AXAny(bar.value)) : AXReply<AXAny>(bar.result);
    }
    if (attribute == QLatin1String("AXFocusedUIElement")) {
        const AXReply<AXElementRef> focused = m_atspi->focusedElement(node->pid());
        return focused.ok() ? AXReply<AXAny>(AXAny(focused.value)) : AXReply<AXAny>(focused.result);
    }
    if (attribute == QLatin1String("AXWindows") || attribute == QLatin1String("AXFocusedWindow") ||
        attribute == QLatin1String("AXMainWindow")) {
        QList<AtspiAccessible*> windows = children(application);
        if (attribute == QLatin1String("AXWindows")) {
            return AXAny(elementList(windows));
        }
        AtspiAccessible* active = nullptr;
        for (AtspiAccessible* window : windows) {
            if (active == nullptr && has(states(window), ATSPI_STATE_ACTIVE)) {
                active = static_cast<AtspiAccessible*>(g_object_ref(window));
            }
        }
        unrefAll(windows);
        const AXReply<AXElementRef> reply = elementReply(active);
        return reply.ok() ? AXReply<AXAny>(AXAny(reply.value)) : AXReply<AXAny>(reply.result);
    }
    return readElementAttribute(application, attribute, m_screens);
}

AXReply<AXAny> LinuxAccessibility::copyAttributeValue(const AXElementRef& element, const QString& attribute)
{
    AtspiNode* node = nullptr;
    if (const AXResult entered = enter(element, node); entered != AXResult::Success) {
        return entered;
    }
    prepareCall(node);
    switch (node->kind()) {
    case AtspiNode::Kind::SystemWide:
        return systemWideAttribute(attribute);
    case AtspiNode::Kind::Application:
        return applicationAttribute(node, attribute);
    case AtspiNode::Kind::Element:
        break;
    }
    return readElementAttribute(node->accessible(), attribute, m_screens);
}

AXReply<AXList> LinuxAccessibility::copyAttributeValues(const AXElementRef& element, const QString& attribute,
                                                        qint64 index, qint64 maxValues)
{
    if (index < 0 || maxValues < 0) {
        return AXResult::IllegalArgument;
    }
    const AXReply<AXAny> reply = copyAttributeValue(element, attribute);
    if (!reply.ok()) {
        return reply.result;
    }
    const AXList* list = reply.value.get<AXList>();
    if (list == nullptr) {
        return AXResult::IllegalArgument;
    }
    AXList slice;
    for (qint64 position = index; position < qint64(list->size()) && position < index + maxValues; ++position) {
        slice.push_back(list->at(std::size_t(position)));
    }
    return slice;
}

AXReply<qint64> LinuxAccessibility::getAttributeValueCount(const AXElementRef& element, const QString& attribute)
{
    AtspiNode* node = AtspiNode::from(element);
    // Children are counted without making a proxy for each.
    if (node != nullptr && node->kind() == AtspiNode::Kind::Element && attribute == QLatin1String("AXChildren")) {
        if (!m_atspi->connect(budgetMs(nullptr))) {
            return AXResult::APIDisabled;
        }
        prepareCall(node);
        GError* error = nullptr;
        const int count = counted([&] { return atspi_accessible_get_child_count(node->accessible(), &error); });
        return error != nullptr ? AXReply<qint64>(failure(error)) : AXReply<qint64>(qint64(count));
    }
    const AXReply<AXAny> reply = copyAttributeValue(element, attribute);
    if (!reply.ok()) {
        return reply.result;
    }
    const AXList* list = reply.value.get<AXList>();
    return list != nullptr ? AXReply<qint64>(qint64(list->size())) : AXReply<qint64>(AXResult::IllegalArgument);
}

AXReply<bool> LinuxAccessibility::isAttributeSettable(const AXElementRef& element, const QString& attribute)
{
    AtspiNode* node = nullptr;
    if (const AXResult entered = enter(element, node); entered != AXResult::Success) {
        return entered;
    }
    if (node->kind() != AtspiNode::Kind::Element) {
        return false;
    }
    prepareCall(node);
    AtspiAccessible* accessible = node->accessible();
    if (attribute == QLatin1String("AXSelectedTextRange")) {
        return GPtr<AtspiText>(atspi_accessible_get_text_iface(accessible)) != nullptr;
    }
    if (attribute == QLatin1String("AXValue") || attribute == QLatin1String("AXSelectedText")) {
        return bool((GPtr<AtspiEditableText>(atspi_accessible_get_editable_text_iface(accessible)) != nullptr)) &&
               has(states(accessible), ATSPI_STATE_EDITABLE);
    }
    if (attribute == QLatin1String("AXFocused")) {
        return has(states(accessible), ATSPI_STATE_FOCUSABLE);
    }
    return false;
}

AXResult LinuxAccessibility::setAttributeValue(const AXElementRef& element, const QString& attribute,
                                               const AXAny& value)
{
    AtspiNode* node = nullptr;
    if (const AXResult entered = enter(element, node); entered != AXResult::Success) {
        return entered;
    }
    if (node->kind() != AtspiNode::Kind::Element) {
        return AXResult::IllegalArgument;
    }
    prepareCall(node);
    AtspiAccessible* accessible = node->accessible();
    GError* error = nullptr;
    bool done = false;
    if (const AXRange* range = value.get<AXRange>(); range && attribute == QLatin1String("AXSelectedTextRange")) {
        GPtr<AtspiText> text(atspi_accessible_get_text_iface(accessible));
        if (!text) {
            return AXResult::IllegalArgument;
        }
        AXResult result = AXResult::Success;
        const QString all = textRange(text.get(), 0, -1, result);
        if (result != AXResult::Success) {
            return result;
        }
        const int start = int(characterOffset(all, range->location));
        const int end = int(characterOffset(all, range->location + range->length));
        const int selections = counted([&] { return atspi_text_get_n_selections(text.get(), &error); });
        if (error != nullptr) {
            return failure(error);
        }
        done = counted([&] {
            return selections > 0 ? atspi_text_set_selection(text.get(), 0, start, end, &error)
                                  : atspi_text_add_selection(text.get(), start, end, &error);
        });
    } else if (const QString* text = value.get<QString>(); text && attribute == QLatin1String("AXValue")) {
        GPtr<AtspiEditableText> editable(atspi_accessible_get_editable_text_iface(accessible));
        if (!editable) {
            return AXResult::IllegalArgument;
        }
        done = counted(
            [&] { return atspi_editable_text_set_text_contents(editable.get(), text->toUtf8().constData(), &error); });
    } else if (const QString* replacement = value.get<QString>();
               replacement && attribute == QLatin1String("AXSelectedText")) {
        return replaceSelection(accessible, *replacement);
    } else if (const bool* focus = value.get<bool>(); focus && *focus && attribute == QLatin1String("AXFocused")) {
        GPtr<AtspiComponent> component(atspi_accessible_get_component_iface(accessible));
        if (!component) {
            return AXResult::IllegalArgument;
        }
        done = counted([&] { return atspi_component_grab_focus(component.get(), &error); });
    } else {
        return AXResult::IllegalArgument;
    }
    if (error != nullptr) {
        return failure(error);
    }
    return done ? AXResult::Success : AXResult::Failure;
}

bool LinuxAccessibility::watchSelections(std::function<void()> onChange)
{
    if (!m_atspi->connect(budgetMs(nullptr))) {
        return false;
    }
    return m_atspi->events().watchSelections(QCoreApplication::applicationPid(), std::move(onChange));
}

std::optional<QRectF> LinuxAccessibility::selectionEndInWindow()
{
    if (!m_atspi->connect(budgetMs(nullptr))) {
        return std::nullopt;
    }
    prepareCall(nullptr);
    const AXReply<AXElementRef> focused = m_atspi->focusedElement(std::nullopt);
    AtspiNode* node = focused.ok() ? AtspiNode::from(focused.value) : nullptr;
    if (node == nullptr || node->accessible() == nullptr) {
        return std::nullopt;
    }
    GPtr<AtspiText> text(atspi_accessible_get_text_iface(node->accessible()));
    if (!text) {
        return std::nullopt;
    }
    GError* error = nullptr;
    AtspiRange* range = counted([&] { return atspi_text_get_selection(text.get(), 0, &error); });
    const int end = range != nullptr ? std::max(range->start_offset, range->end_offset) : 0;
    const int start = range != nullptr ? std::min(range->start_offset, range->end_offset) : 0;
    g_free(range);
    if (error != nullptr) {
        g_error_free(error);
        return std::nullopt;
    }
    if (end <= start) {
        return std::nullopt;
    }
    // A selection ending with a line break ends visually on the character before it.
    AtspiRect* rect = counted(
        [&] { return atspi_text_get_range_extents(text.get(), end - 1, end, ATSPI_COORD_TYPE_WINDOW, &error); });
    std::optional<QRectF> bounds;
    if (error == nullptr && rect != nullptr && rect->width >= 0 && rect->height > 0) {
        bounds = QRectF(rect->x, rect->y, rect->width, rect->height);
    }
    if (error != nullptr) {
        g_error_free(error);
    }
    g_free(rect);
    return bounds;
}

AXResult LinuxAccessibility::replaceSelection(_AtspiAccessible* accessible, const QString& replacement)
{
    GPtr<AtspiText> text(atspi_accessible_get_text_iface(accessible));
    GPtr<AtspiEditableText> editable(atspi_accessible_get_editable_text_iface(accessible));
    if (!text || !editable || !has(states(accessible), ATSPI_STATE_EDITABLE)) {
        return AXResult::IllegalArgument;
    }
    GError* error = nullptr;
    const int selections = counted([&] { return atspi_text_get_n_selections(text.get(), &error); });
    if (error != nullptr) {
        return failure(error);
    }
    if (selections < 1) {
        return AXResult::NoValue;
    }
    AtspiRange* range = counted([&] { return atspi_text_get_selection(text.get(), 0, &error); });
    if (error != nullptr) {
        return failure(error);
    }
    const int start = range != nullptr ? std::min(range->start_offset, range->end_offset) : 0;
    const int end = range != nullptr ? std::max(range->start_offset, range->end_offset) : 0;
    g_free(range);
    if (end <= start) {
        return AXResult::NoValue;
    }
    const QByteArray utf8 = replacement.toUtf8();
    const bool deleted = counted([&] { return atspi_editable_text_delete_text(editable.get(), start, end, &error); });
    if (error != nullptr) {
        return failure(error);
    }
    const bool inserted =
        deleted && counted([&] {
            return atspi_editable_text_insert_text(editable.get(), start, utf8.constData(), int(utf8.size()), &error);
        });
    if (error != nullptr) {
        return failure(error);
    }
    if (!inserted) {
        return AXResult::Failure;
    }
    // Some toolkits answer true and change nothing (GTK 4 while unfocused): the text is read back.
    AXResult result = AXResult::Success;
    const QString written = textRange(text.get(), start, start + int(replacement.toUcs4().size()), result);
    if (result != AXResult::Success) {
        return result;
    }
    return written == replacement ? AXResult::Success : AXResult::Failure;
}

AXReply<AXList> LinuxAccessibility::copyMultipleAttributeValues(const AXElementRef& element,
                                                                const QStringList& attributes)
{
    if (AtspiNode::from(element) == nullptr) {
        return AXResult::IllegalArgument;
    }
    if (!m_atspi->connect(budgetMs(nullptr))) {
        return AXResult::APIDisabled;
    }
    AXList values;
    for (const QString& attribute : attributes) {
        const AXReply<AXAny> reply = copyAttributeValue(element, attribute);
        if (reply.ok()) {
            values.push_back(reply.value);
        } else if (reply.result == AXResult::NoValue) {
            values.emplace_back(AXNull{});
        } else {
            values.emplace_back(AXErrorValue{reply.result});
        }
    }
    return values;
}

AXReply<QStringList> LinuxAccessibility::copyParameterizedAttributeNames(const AXElementRef& element)
{
    AtspiNode* node = nullptr;
    if (const AXResult entered = enter(element, node); entered != AXResult::Success) {
        return entered;
    }
    if (node->kind() != AtspiNode::Kind::Element ||
        GPtr<AtspiText>(atspi_accessible_get_text_iface(node->accessible())) == nullptr) {
        return QStringList();
    }
    return QStringList{QStringLiteral("AXBoundsForRange"), QStringLiteral("AXStringForRange")};
}

AXReply<AXAny> LinuxAccessibility::copyParameterizedAttributeValue(const AXElementRef& element,
                                                                   const QString& attribute, const AXAny& parameter)
{
    AtspiNode* node = nullptr;
    if (const AXResult entered = enter(element, node); entered != AXResult::Success) {
        return entered;
    }
    if (attribute != QLatin1String("AXBoundsForRange") && attribute != QLatin1String("AXStringForRange")) {
        return AXResult::ParameterizedAttributeUnsupported;
    }
    const AXRange* range = parameter.get<AXRange>();
    if (range == nullptr || range->location < 0 || range->length < 0) {
        return AXResult::IllegalArgument;
    }
    if (node->kind() != AtspiNode::Kind::Element) {
        return AXResult::ParameterizedAttributeUnsupported;
    }
    prepareCall(node);
    if (attribute == QLatin1String("AXStringForRange") && isSecret(node->accessible())) {
        return AXResult::NoValue;
    }
    GPtr<AtspiText> text(atspi_accessible_get_text_iface(node->accessible()));
    if (!text) {
        return AXResult::ParameterizedAttributeUnsupported;
    }
    AXResult result = AXResult::Success;
    const QString all = textRange(text.get(), 0, -1, result);
    if (result != AXResult::Success) {
        return result;
    }
    if (range->location + range->length > all.size()) {
        return AXResult::IllegalArgument;
    }
    if (attribute == QLatin1String("AXStringForRange")) {
        return AXAny(all.mid(range->location, range->length));
    }
    const int start = int(characterOffset(all, range->location));
    const int end = int(characterOffset(all, range->location + range->length));
    GError* error = nullptr;
    AtspiRect* rect =
        counted([&] { return atspi_text_get_range_extents(text.get(), start, end, ATSPI_COORD_TYPE_SCREEN, &error); });
    if (error != nullptr) {
        return failure(error);
    }
    const QRectF frame = toScreenPoints(m_screens, *rect);
    g_free(rect);
    return AXAny(AXRect{{frame.x(), frame.y()}, {frame.width(), frame.height()}});
}

AXReply<QStringList> LinuxAccessibility::copyActionNames(const AXElementRef& element)
{
    AtspiNode* node = nullptr;
    if (const AXResult entered = enter(element, node); entered != AXResult::Success) {
        return entered;
    }
    if (node->kind() != AtspiNode::Kind::Element) {
        return QStringList();
    }
    prepareCall(node);
    GPtr<AtspiAction> action(atspi_accessible_get_action_iface(node->accessible()));
    if (!action) {
        return QStringList();
    }
    GError* error = nullptr;
    const int count = counted([&] { return atspi_action_get_n_actions(action.get(), &error); });
    if (error != nullptr) {
        return failure(error);
    }
    return count > 0 ? QStringList{QStringLiteral("AXPress")} : QStringList();
}

AXReply<QString> LinuxAccessibility::copyActionDescription(const AXElementRef& element, const QString& action)
{
    if (action != QLatin1String("AXPress")) {
        return AXResult::ActionUnsupported;
    }
    const AXReply<QStringList> names = copyActionNames(element);
    if (!names.ok()) {
        return names.result;
    }
    if (names.value.isEmpty()) {
        return AXResult::ActionUnsupported;
    }
    GPtr<AtspiAction> iface(atspi_accessible_get_action_iface(AtspiNode::from(element)->accessible()));
    GError* error = nullptr;
    gchar* name = counted([&] { return atspi_action_get_action_name(iface.get(), 0, &error); });
    if (error != nullptr) {
        return failure(error);
    }
    return takeString(name);
}

AXResult LinuxAccessibility::performAction(const AXElementRef& element, const QString& action)
{
    AtspiNode* node = nullptr;
    if (const AXResult entered = enter(element, node); entered != AXResult::Success) {
        return entered;
    }
    if (node->kind() != AtspiNode::Kind::Element || action != QLatin1String("AXPress")) {
        return AXResult::ActionUnsupported;
    }
    prepareCall(node);
    GPtr<AtspiAction> iface(atspi_accessible_get_action_iface(node->accessible()));
    if (!iface) {
        return AXResult::ActionUnsupported;
    }
    GError* error = nullptr;
    const int count = counted([&] { return atspi_action_get_n_actions(iface.get(), &error); });
    if (error != nullptr) {
        return failure(error);
    }
    if (count <= 0) {
        return AXResult::ActionUnsupported;
    }
    // The press is an element's first action: "click" in GTK, "Press" in Qt.
    const bool done = counted([&] { return atspi_action_do_action(iface.get(), 0, &error); });
    if (error != nullptr) {
        return failure(error);
    }
    return done ? AXResult::Success : AXResult::Failure;
}

AXReply<AXElementRef> LinuxAccessibility::copyElementAtPosition(const AXElementRef& element, float x, float y)
{
    AtspiNode* node = nullptr;
    if (const AXResult entered = enter(element, node); entered != AXResult::Success) {
        return entered;
    }
    prepareCall(node);
    const QPointF qt = m_screens.coordinates().toQt(QPointF(x, y)) * pixelRatio();
    const int px = int(std::floor(qt.x()));
    const int py = int(std::floor(qt.y()));
    // The system-wide element looks in the frontmost application's windows.
    QList<AtspiAccessible*> roots;
    if (node->kind() == AtspiNode::Kind::SystemWide) {
        if (const std::optional<RunningApplication> front = m_workspace.frontmostApplication()) {
            if (AtspiAccessible* application = m_atspi->applicationFor(front->pid)) {
                roots = children(application);
                g_object_unref(application);
            }
        }
    } else if (AtspiAccessible* accessible = m_atspi->accessibleOf(node)) {
        roots = node->kind() == AtspiNode::Kind::Application
                    ? children(accessible)
                    : QList{static_cast<AtspiAccessible*>(g_object_ref(accessible))};
    }
    AtspiAccessible* found = nullptr;
    for (AtspiAccessible* root : roots) {
        AtspiAccessible* current = found == nullptr ? static_cast<AtspiAccessible*>(g_object_ref(root)) : nullptr;
        // Down to the deepest element under the point.
        while (current != nullptr) {
            GPtr<AtspiComponent> component(atspi_accessible_get_component_iface(current));
            GError* error = nullptr;
            AtspiAccessible* child = component ? counted([&] {
                return atspi_component_get_accessible_at_point(component.get(), px, py, ATSPI_COORD_TYPE_SCREEN,
                                                               &error);
            })
                                               : nullptr;
            if (error != nullptr) {
                g_error_free(error);
            }
            if (child == nullptr || child == current) {
                if (child != nullptr) {
                    g_object_unref(child);
                }
                break;
            }
            if (found != nullptr) {
                g_object_unref(found);
            }
            found = static_cast<AtspiAccessible*>(g_object_ref(child));
            g_object_unref(current);
            current = child;
        }
        if (current != nullptr) {
            g_object_unref(current);
        }
    }
    unrefAll(roots);
    return elementReply(found);
}

AXReply<qint64> LinuxAccessibility::getPid(const AXElementRef& element)
{
    AtspiNode* node = AtspiNode::from(element);
    if (node == nullptr) {
        return AXResult::IllegalArgument;
    }
    if (node->kind() == AtspiNode::Kind::Application) {
        return node->pid();
    }
    if (node->kind() == AtspiNode::Kind::SystemWide) {
        return AXResult::IllegalArgument;
    }
    if (!m_atspi->connect(budgetMs(nullptr))) {
        return AXResult::APIDisabled;
    }
    const qint64 pid = m_atspi->pidOf(node->accessible());
    return pid > 0 ? AXReply<qint64>(pid) : AXReply<qint64>(AXResult::InvalidUIElement);
}

AXResult LinuxAccessibility::setMessagingTimeout(const AXElementRef& element, float seconds)
{
    AtspiNode* node = AtspiNode::from(element);
    if (node == nullptr) {
        return AXResult::IllegalArgument;
    }
    const float value = seconds > 0 ? seconds : 0;
    if (node->kind() == AtspiNode::Kind::SystemWide) {
        m_globalTimeout = value;
    } else {
        node->setMessagingTimeout(value);
    }
    return AXResult::Success;
}

AXReply<AXObserverRef> LinuxAccessibility::createObserver(qint64 pid, AXObserverCallback callback)
{
    if (pid <= 0) {
        return AXResult::IllegalArgument;
    }
    if (!m_atspi->connect(budgetMs(nullptr))) {
        return AXResult::APIDisabled;
    }
    auto observer = std::make_shared<AtspiObserver>(pid, std::move(callback));
    m_atspi->events().add(observer);
    return AXObserverRef(observer);
}

AXResult LinuxAccessibility::addNotification(const AXObserverRef& observer, const AXElementRef& element,
                                             const QString& notification)
{
    auto* atspiObserver = dynamic_cast<AtspiObserver*>(observer.get());
    if (atspiObserver == nullptr || AtspiNode::from(element) == nullptr) {
        return AXResult::IllegalArgument;
    }
    if (!m_atspi->connect(budgetMs(nullptr))) {
        return AXResult::APIDisabled;
    }
    std::vector<AtspiSubscription>& subscriptions = atspiObserver->subscriptions();
    for (const AtspiSubscription& subscription : subscriptions) {
        if (subscription.element == element && subscription.notification == notification) {
            return AXResult::NotificationAlreadyRegistered;
        }
    }
    prepareCall(nullptr);
    if (!m_atspi->events().retain(notification)) {
        return AXResult::NotificationUnsupported;
    }
    subscriptions.push_back({element, notification});
    return AXResult::Success;
}

AXResult LinuxAccessibility::removeNotification(const AXObserverRef& observer, const AXElementRef& element,
                                                const QString& notification)
{
    auto* atspiObserver = dynamic_cast<AtspiObserver*>(observer.get());
    if (atspiObserver == nullptr) {
        return AXResult::IllegalArgument;
    }
    std::vector<AtspiSubscription>& subscriptions = atspiObserver->subscriptions();
    const auto found = std::find_if(subscriptions.begin(), subscriptions.end(), [&](const AtspiSubscription& entry) {
        return entry.element == element && entry.notification == notification;
    });
    if (found == subscriptions.end()) {
        return AXResult::NotificationNotRegistered;
    }
    subscriptions.erase(found);
    if (m_atspi->isConnected()) {
        prepareCall(nullptr);
        m_atspi->events().release(notification);
    }
    return AXResult::Success;
}

void LinuxAccessibility::attachObserver(const AXObserverRef& observer)
{
    if (auto* atspiObserver = dynamic_cast<AtspiObserver*>(observer.get())) {
        atspiObserver->attach();
    }
}

void LinuxAccessibility::detachObserver(const AXObserverRef& observer)
{
    if (auto* atspiObserver = dynamic_cast<AtspiObserver*>(observer.get())) {
        atspiObserver->detach();
    }
}

} // namespace quillora
