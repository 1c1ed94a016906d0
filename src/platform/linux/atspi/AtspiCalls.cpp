#include "platform/linux/atspi/AtspiCalls.h"

#include "platform/Screens.h"
#include "platform/linux/atspi/AtspiNode.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>

namespace quillora::AtspiCalls {

namespace {

quint64 g_calls = 0;
QElapsedTimer g_lastTimeOut;

} // namespace

void count()
{
    ++g_calls;
}

quint64 callCount()
{
    return g_calls;
}

// A failed call: the object has gone (its application quit), or the call did not complete in time.
AXResult failure(GError* error)
{
    if (error == nullptr) {
        return AXResult::CannotComplete;
    }
    const QString message = QString::fromUtf8(error->message);
    g_error_free(error);
    if (message.contains(QLatin1String("UnknownObject")) || message.contains(QLatin1String("ServiceUnknown")) ||
        message.contains(QLatin1String("defunct"))) {
        return AXResult::InvalidUIElement;
    }
    // libdbus's words for a reply that did not come within the call's time-out.
    if (message.contains(QLatin1String("NoReply")) || message.contains(QLatin1String("Did not receive a reply")) ||
        message.contains(QLatin1String("imeout"))) {
        g_lastTimeOut.start();
    }
    return AXResult::CannotComplete;
}

const QElapsedTimer& lastTimeOut()
{
    return g_lastTimeOut;
}

QString takeString(gchar* text)
{
    const QString value = QString::fromUtf8(text);
    g_free(text);
    return value;
}

AXReply<AXElementRef> elementReply(AtspiAccessible* accessible)
{
    if (accessible == nullptr) {
        return AXResult::NoValue;
    }
    AXElementRef element(AtspiNode::element(accessible));
    g_object_unref(accessible);
    return element;
}

// The state set, or null when the application did not answer.
GPtr<AtspiStateSet> states(AtspiAccessible* accessible)
{
    return GPtr<AtspiStateSet>(counted([&] { return atspi_accessible_get_state_set(accessible); }));
}

bool has(const GPtr<AtspiStateSet>& set, AtspiStateType state)
{
    return set && atspi_state_set_contains(set.get(), state);
}

bool isSecret(AtspiAccessible* accessible)
{
    return role(accessible) == ATSPI_ROLE_PASSWORD_TEXT;
}

std::optional<int> role(AtspiAccessible* accessible)
{
    GError* error = nullptr;
    const AtspiRole value = counted([&] { return atspi_accessible_get_role(accessible, &error); });
    if (error != nullptr) {
        g_error_free(error);
        return std::nullopt;
    }
    return int(value);
}

QList<AtspiAccessible*> children(AtspiAccessible* accessible, AXResult* result)
{
    GError* error = nullptr;
    const int count = counted([&] { return atspi_accessible_get_child_count(accessible, &error); });
    if (error != nullptr) {
        const AXResult code = failure(error);
        if (result != nullptr) {
            *result = code;
        }
        return {};
    }
    QList<AtspiAccessible*> list;
    for (int index = 0; index < count; ++index) {
        error = nullptr;
        AtspiAccessible* child =
            counted([&] { return atspi_accessible_get_child_at_index(accessible, index, &error); });
        if (error != nullptr) {
            g_error_free(error);
            continue;
        }
        if (child != nullptr) {
            list.append(child);
        }
    }
    return list;
}

void unrefAll(const QList<AtspiAccessible*>& list)
{
    for (AtspiAccessible* accessible : list) {
        g_object_unref(accessible);
    }
}

AXList elementList(const QList<AtspiAccessible*>& list)
{
    AXList values;
    for (AtspiAccessible* accessible : list) {
        values.emplace_back(AXElementRef(AtspiNode::element(accessible)));
    }
    unrefAll(list);
    return values;
}

bool isWindowRole(int value)
{
    return value == ATSPI_ROLE_FRAME || value == ATSPI_ROLE_WINDOW || value == ATSPI_ROLE_DIALOG;
}

// The key bindings of an element's first action; empty without actions.
QString keyBindings(AtspiAccessible* accessible)
{
    GPtr<AtspiAction> action(counted([&] { return atspi_accessible_get_action_iface(accessible); }));
    if (!action) {
        return QString();
    }
    GError* error = nullptr;
    gchar* bindings = counted([&] { return atspi_action_get_key_binding(action.get(), 0, &error); });
    if (error != nullptr) {
        g_error_free(error);
        return QString();
    }
    return takeString(bindings);
}

// Offsets of AT-SPI count characters (code points); ranges here count UTF-16 code units.
qint64 utf16Offset(const QString& text, qint64 characters)
{
    qint64 units = 0;
    for (qint64 count = 0; count < characters && units < text.size(); ++count) {
        units += text.at(units).isHighSurrogate() && units + 1 < text.size() ? 2 : 1;
    }
    return units;
}

qint64 characterOffset(const QString& text, qint64 units)
{
    qint64 characters = 0;
    for (qint64 index = 0; index < units && index < text.size(); ++index) {
        if (!text.at(index).isLowSurrogate()) {
            ++characters;
        }
    }
    return characters;
}

QString textRange(AtspiText* text, int start, int end, AXResult& result)
{
    GError* error = nullptr;
    gchar* value = counted([&] { return atspi_text_get_text(text, start, end, &error); });
    if (error != nullptr) {
        result = failure(error);
        return QString();
    }
    result = AXResult::Success;
    return takeString(value);
}

QRectF toScreenPoints(const Screens& screens, const AtspiRect& rect)
{
    const double ratio = pixelRatio();
    return screens.coordinates().fromQt(
        QRectF(rect.x / ratio, rect.y / ratio, rect.width / ratio, rect.height / ratio));
}

double pixelRatio()
{
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr && QGuiApplication::primaryScreen()) {
        return QGuiApplication::primaryScreen()->devicePixelRatio();
    }
    return 1;
}

} // namespace quillora::AtspiCalls
