#include "AtspiReader.h"

#include <atspi/atspi.h>

#include <array>
#include <deque>

namespace quillora::test {

namespace {

constexpr int kSearchLimit = 3000;
const char* const kSelectionEvent = "object:text-selection-changed";
const char* const kStateEvents = "object:state-changed";

Accessible adopt(AtspiAccessible* element)
{
    return Accessible(element, [](AtspiAccessible* element) { g_object_unref(element); });
}

/** Takes a string that libatspi allocated; empty for none or on an error. */
QString adoptString(gchar* value, GError* error)
{
    if (error != nullptr) {
        g_error_free(error);
    }
    const QString text = value != nullptr ? QString::fromUtf8(value) : QString();
    g_free(value);
    return text;
}

std::optional<QRect> adoptRect(AtspiRect* rect, GError* error)
{
    if (error != nullptr) {
        g_error_free(error);
    }
    if (rect == nullptr) {
        return std::nullopt;
    }
    const QRect bounds(rect->x, rect->y, rect->width, rect->height);
    g_free(rect);
    return bounds;
}

std::optional<Accessible> application(qint64 pid)
{
    const Accessible desktop = adopt(atspi_get_desktop(0));
    const int count = atspi_accessible_get_child_count(desktop.get(), nullptr);
    for (int index = 0; index < count; ++index) {
        AtspiAccessible* child = atspi_accessible_get_child_at_index(desktop.get(), index, nullptr);
        if (child == nullptr) {
            continue;
        }
        const Accessible app = adopt(child);
        if (qint64(atspi_accessible_get_process_id(app.get(), nullptr)) == pid) {
            return app;
        }
    }
    return std::nullopt;
}

} // namespace

AtspiReader::AtspiReader()
{
    atspi_init();
    // Applications under test may be busy starting: a generous budget for each call.
    atspi_set_timeout(3000, 0);
    // Roles, interfaces and parents never change. States are cached too, updated by the state
    // events listened to below: a state set that libatspi refreshes by itself would make a call
    // from inside the dispatch of an event, which libdbus cannot nest (the test would hang). Names,
    // children and texts are asked every time, and states where they matter (isFocused).
    const Accessible desktop = adopt(atspi_get_desktop(0));
    atspi_accessible_set_cache_mask(
        desktop.get(), AtspiCache(ATSPI_CACHE_ROLE | ATSPI_CACHE_INTERFACES | ATSPI_CACHE_PARENT | ATSPI_CACHE_STATES));
    m_listener = atspi_event_listener_new(&AtspiReader::onEvent, this, nullptr);
    for (const char* event : {kSelectionEvent, kStateEvents}) {
        GError* error = nullptr;
        atspi_event_listener_register(m_listener, event, &error);
        if (error != nullptr) {
            g_error_free(error);
        }
    }
}

AtspiReader::~AtspiReader()
{
    for (const char* event : {kSelectionEvent, kStateEvents}) {
        atspi_event_listener_deregister(m_listener, event, nullptr);
    }
    g_object_unref(m_listener);
}

void AtspiReader::onEvent(AtspiEvent* event, void* data)
{
    // Only kept: reading the source from here would call it from inside the event's dispatch.
    if (event->source != nullptr && g_str_equal(event->type, kSelectionEvent)) {
        static_cast<AtspiReader*>(data)->m_selectionSources.push_back(
            adopt(static_cast<AtspiAccessible*>(g_object_ref(event->source))));
    }
    g_boxed_free(ATSPI_TYPE_EVENT, event);
}

std::vector<SelectionChange> AtspiReader::takeSelectionChanges()
{
    std::vector<SelectionChange> changes;
    for (const Accessible& source : std::exchange(m_selectionSources, {})) {
        SelectionChange change;
        change.pid = qint64(atspi_accessible_get_process_id(source.get(), nullptr));
        if (const std::optional<std::pair<int, int>> range = selection(source)) {
            change.selectedText = text(source).mid(range->first, range->second - range->first);
        }
        changes.push_back(change);
    }
    return changes;
}

std::optional<Accessible> AtspiReader::find(qint64 pid, const std::function<bool(const Accessible&)>& matches) const
{
    const std::optional<Accessible> app = application(pid);
    if (!app) {
        return std::nullopt;
    }
    std::deque<Accessible> pending{*app};
    int visited = 0;
    while (!pending.empty() && visited++ < kSearchLimit) {
        const Accessible element = pending.front();
        pending.pop_front();
        if (matches(element)) {
            return element;
        }
        for (const Accessible& child : children(element)) {
            pending.push_back(child);
        }
    }
    return std::nullopt;
}

QString AtspiReader::roleName(const Accessible& element) const
{
    GError* error = nullptr;
    gchar* role = atspi_accessible_get_role_name(element.get(), &error);
    return adoptString(role, error);
}

QString AtspiReader::name(const Accessible& element) const
{
    GError* error = nullptr;
    gchar* name = atspi_accessible_get_name(element.get(), &error);
    return adoptString(name, error);
}

QString AtspiReader::text(const Accessible& element) const
{
    GError* error = nullptr;
    gchar* text = atspi_text_get_text(ATSPI_TEXT(element.get()), 0, -1, &error);
    return adoptString(text, error);
}

std::optional<std::pair<int, int>> AtspiReader::selection(const Accessible& element) const
{
    AtspiText* text = ATSPI_TEXT(element.get());
    if (atspi_text_get_n_selections(text, nullptr) < 1) {
        return std::nullopt;
    }
    AtspiRange* range = atspi_text_get_selection(text, 0, nullptr);
    if (range == nullptr) {
        return std::nullopt;
    }
    const std::pair<int, int> offsets(range->start_offset, range->end_offset);
    g_free(range);
    if (offsets.first >= offsets.second) {
        return std::nullopt;
    }
    return offsets;
}

std::optional<QRect> AtspiReader::rangeExtents(const Accessible& element, int start, int end) const
{
    GError* error = nullptr;
    AtspiRect* rect =
        atspi_text_get_range_extents(ATSPI_TEXT(element.get()), start, end, ATSPI_COORD_TYPE_SCREEN, &error);
    return adoptRect(rect, error);
}

std::optional<QRect> AtspiReader::extents(const Accessible& element) const
{
    GError* error = nullptr;
    AtspiRect* rect = atspi_component_get_extents(ATSPI_COMPONENT(element.get()), ATSPI_COORD_TYPE_SCREEN, &error);
    return adoptRect(rect, error);
}

bool AtspiReader::isFocused(const Accessible& element) const
{
    // Asked afresh, without libatspi: its cached state set misses a focus change that arrives while
    // the set is being fetched, and only events update it. The call waits without dispatching.
    const AtspiObject* object = ATSPI_OBJECT(element.get());
    if (object->app == nullptr || object->app->bus == nullptr) {
        return false;
    }
    DBusMessage* call =
        dbus_message_new_method_call(object->app->bus_name, object->path, "org.a11y.atspi.Accessible", "GetState");
    DBusError error;
    dbus_error_init(&error);
    DBusMessage* reply = dbus_connection_send_with_reply_and_block(object->app->bus, call, 3000, &error);
    dbus_message_unref(call);
    if (reply == nullptr) {
        dbus_error_free(&error);
        return false;
    }
    // The states are bits in an array of 32-bit words.
    std::array<dbus_uint32_t, 2> words{};
    DBusMessageIter arguments;
    DBusMessageIter array;
    if (dbus_message_iter_init(reply, &arguments) && dbus_message_iter_get_arg_type(&arguments) == DBUS_TYPE_ARRAY) {
        dbus_message_iter_recurse(&arguments, &array);
        for (dbus_uint32_t& word : words) {
            if (dbus_message_iter_get_arg_type(&array) != DBUS_TYPE_UINT32) {
                break;
            }
            dbus_message_iter_get_basic(&array, &word);
            dbus_message_iter_next(&array);
        }
    }
    dbus_message_unref(reply);
    return (words[ATSPI_STATE_FOCUSED / 32] & (1U << (ATSPI_STATE_FOCUSED % 32))) != 0;
}

std::vector<Accessible> AtspiReader::children(const Accessible& element) const
{
    std::vector<Accessible> list;
    const int count = atspi_accessible_get_child_count(element.get(), nullptr);
    for (int index = 0; index < count; ++index) {
        if (AtspiAccessible* child = atspi_accessible_get_child_at_index(element.get(), index, nullptr)) {
            list.push_back(adopt(child));
        }
    }
    return list;
}

std::optional<Accessible> AtspiReader::parent(const Accessible& element) const
{
    AtspiAccessible* parent = atspi_accessible_get_parent(element.get(), nullptr);
    return parent != nullptr ? std::optional<Accessible>(adopt(parent)) : std::nullopt;
}

} // namespace quillora::test
