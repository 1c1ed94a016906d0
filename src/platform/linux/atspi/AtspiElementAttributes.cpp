#include "platform/linux/atspi/AtspiElementAttributes.h"

#include "platform/linux/atspi/AtspiCalls.h"
#include "platform/linux/atspi/AtspiNode.h"
#include "platform/linux/atspi/AtspiVocabulary.h"

namespace quillora {

using namespace AtspiCalls;

AXReply<AXAny> readElementAttribute(AtspiAccessible* accessible, const QString& attribute, const Screens& screens)
{
    GError* error = nullptr;
    if (attribute == QLatin1String("AXRole") || attribute == QLatin1String("AXRoleDescription")) {
        const std::optional<int> value = role(accessible);
        if (!value) {
            return AXResult::CannotComplete;
        }
        if (attribute == QLatin1String("AXRoleDescription")) {
            gchar* name = counted([&] { return atspi_accessible_get_localized_role_name(accessible, &error); });
            return error != nullptr ? AXReply<AXAny>(failure(error)) : AXReply<AXAny>(AXAny(takeString(name)));
        }
        const bool multiLine = has(states(accessible), ATSPI_STATE_MULTI_LINE);
        return AXAny(AtspiVocabulary::roleName(*value, multiLine));
    }
    if (attribute == QLatin1String("AXSubrole")) {
        return isSecret(accessible) ? AXReply<AXAny>(AXAny(QStringLiteral("AXSecureTextField")))
                                    : AXReply<AXAny>(AXResult::NoValue);
    }
    if (attribute == QLatin1String("AXTitle") || attribute == QLatin1String("AXDescription")) {
        gchar* text = counted([&] {
            return attribute == QLatin1String("AXTitle") ? atspi_accessible_get_name(accessible, &error)
                                                         : atspi_accessible_get_description(accessible, &error);
        });
        if (error != nullptr) {
            return failure(error);
        }
        const QString value = takeString(text);
        return value.isEmpty() ? AXReply<AXAny>(AXResult::NoValue) : AXReply<AXAny>(AXAny(value));
    }
    if (attribute == QLatin1String("AXEnabled") || attribute == QLatin1String("AXFocused") ||
        attribute == QLatin1String("AXSelected")) {
        const GPtr<AtspiStateSet> set = states(accessible);
        if (!set) {
            return AXResult::CannotComplete;
        }
        if (attribute == QLatin1String("AXEnabled")) {
            return AXAny(has(set, ATSPI_STATE_ENABLED) && has(set, ATSPI_STATE_SENSITIVE));
        }
        return AXAny(has(set, attribute == QLatin1String("AXFocused") ? ATSPI_STATE_FOCUSED : ATSPI_STATE_SELECTED));
    }
    if (attribute == QLatin1String("AXChildren")) {
        AXResult result = AXResult::Success;
        const QList<AtspiAccessible*> list = children(accessible, &result);
        if (result != AXResult::Success) {
            return result;
        }
        return AXAny(elementList(list));
    }
    if (attribute == QLatin1String("AXParent") || attribute == QLatin1String("AXWindow") ||
        attribute == QLatin1String("AXTopLevelUIElement")) {
        AtspiAccessible* current = static_cast<AtspiAccessible*>(g_object_ref(accessible));
        const bool toWindow = attribute != QLatin1String("AXParent");
        while (current != nullptr) {
            AtspiAccessible* parent = counted([&] { return atspi_accessible_get_parent(current, &error); });
            g_object_unref(current);
            if (error != nullptr) {
                return failure(error);
            }
            current = parent;
            if (current == nullptr || !toWindow) {
                break;
            }
            const std::optional<int> value = role(current);
            if (!value || isWindowRole(*value) || *value == ATSPI_ROLE_APPLICATION) {
                break;
            }
        }
        const AXReply<AXElementRef> reply = elementReply(current);
        return reply.ok() ? AXReply<AXAny>(AXAny(reply.value)) : AXReply<AXAny>(reply.result);
    }
    if (attribute == QLatin1String("AXPosition") || attribute == QLatin1String("AXSize") ||
        attribute == QLatin1String("AXFrame")) {
        GPtr<AtspiComponent> component(atspi_accessible_get_component_iface(accessible));
        if (!component) {
            return AXResult::AttributeUnsupported;
        }
        AtspiRect* rect =
            counted([&] { return atspi_component_get_extents(component.get(), ATSPI_COORD_TYPE_SCREEN, &error); });
        if (error != nullptr) {
            return failure(error);
        }
        const QRectF frame = toScreenPoints(screens, *rect);
        g_free(rect);
        if (attribute == QLatin1String("AXPosition")) {
            // The top-left corner, as the platform's position attribute gives it.
            return AXAny(AXPoint{frame.x(), frame.y() + frame.height()});
        }
        if (attribute == QLatin1String("AXSize")) {
            return AXAny(AXSize{frame.width(), frame.height()});
        }
        return AXAny(AXRect{{frame.x(), frame.y()}, {frame.width(), frame.height()}});
    }
    if (attribute == QLatin1String("AXIdentifier") || attribute == QLatin1String("AXMenuItemCmdChar")) {
        const std::optional<int> value = role(accessible);
        const bool menuItem = value && AtspiVocabulary::isMenuItemRole(*value);
        const std::optional<QString> command =
            menuItem ? AtspiVocabulary::commandCharacter(keyBindings(accessible)) : std::nullopt;
        if (attribute == QLatin1String("AXMenuItemCmdChar")) {
            if (!menuItem) {
                return AXResult::AttributeUnsupported;
            }
            return command ? AXReply<AXAny>(AXAny(*command)) : AXReply<AXAny>(AXResult::NoValue);
        }
        gchar* id = counted([&] { return atspi_accessible_get_accessible_id(accessible, &error); });
        const QString own = error == nullptr ? takeString(id) : QString();
        if (error != nullptr) {
            g_error_free(error);
        }
        if (!own.isEmpty()) {
            return AXAny(own);
        }
        // A menu item holding a standard edit accelerator is that command, whatever its title's language.
        if (menuItem) {
            return AXAny(command ? AtspiVocabulary::standardIdentifier(*command).value_or(QString()) : QString());
        }
        return AXResult::NoValue;
    }
    // A password field's text is never read, whoever asks.
    if ((attribute == QLatin1String("AXValue") || attribute == QLatin1String("AXSelectedText")) &&
        isSecret(accessible)) {
        return AXResult::NoValue;
    }
    GPtr<AtspiText> text(atspi_accessible_get_text_iface(accessible));
    if (attribute == QLatin1String("AXValue")) {
        if (!text) {
            return AXResult::NoValue;
        }
        AXResult result = AXResult::Success;
        const QString value = textRange(text.get(), 0, -1, result);
        return result == AXResult::Success ? AXReply<AXAny>(AXAny(value)) : AXReply<AXAny>(result);
    }
    if (attribute == QLatin1String("AXNumberOfCharacters")) {
        if (!text) {
            return AXResult::AttributeUnsupported;
        }
        const int count = counted([&] { return atspi_text_get_character_count(text.get(), &error); });
        return error != nullptr ? AXReply<AXAny>(failure(error)) : AXReply<AXAny>(AXAny(count));
    }
    if (attribute == QLatin1String("AXSelectedText") || attribute == QLatin1String("AXSelectedTextRange")) {
        if (!text) {
            return AXResult::AttributeUnsupported;
        }
        const int selections = counted([&] { return atspi_text_get_n_selections(text.get(), &error); });
        if (error != nullptr) {
            return failure(error);
        }
        int start = 0;
        int end = 0;
        if (selections > 0) {
            AtspiRange* range = counted([&] { return atspi_text_get_selection(text.get(), 0, &error); });
            if (error != nullptr) {
                return failure(error);
            }
            start = std::min(range->start_offset, range->end_offset);
            end = std::max(range->start_offset, range->end_offset);
            g_free(range);
        } else if (attribute == QLatin1String("AXSelectedTextRange")) {
            start = end = counted([&] { return atspi_text_get_caret_offset(text.get(), &error); });
            if (error != nullptr) {
                return failure(error);
            }
        }
        AXResult result = AXResult::Success;
        if (attribute == QLatin1String("AXSelectedText")) {
            const QString value = start < end ? textRange(text.get(), start, end, result) : QString();
            return result == AXResult::Success ? AXReply<AXAny>(AXAny(value)) : AXReply<AXAny>(result);
        }
        const QString prefix = textRange(text.get(), 0, end, result);
        if (result != AXResult::Success) {
            return result;
        }
        const qint64 location = utf16Offset(prefix, start);
        return AXAny(AXRange{location, qint64(prefix.size()) - location});
    }
    return AXResult::AttributeUnsupported;
}

} // namespace quillora
