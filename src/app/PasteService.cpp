#include "app/PasteService.h"

#include "app/AppLogger.h"
#include "ax/SystemWideElement.h"
#include "capture/ElementAccessors.h"
#include "capture/PasteboardExtension.h"
#include "core/Clock.h"
#include "keys/KeyPoster.h"
#include "platform/KeyEventSink.h"
#include "platform/Pasteboard.h"
#include "platform/Platform.h"

namespace quillora {

namespace {

const QString kLogFile = QStringLiteral("quillora/PasteService");

} // namespace

PasteService::PasteService(Pasteboard& pasteboard, Clock& clock, PasteRoute route)
    : m_pasteboard(pasteboard)
    , m_clock(clock)
    , m_route(route)
{
}

PasteOutcome PasteService::paste(const QString& text) const
{
    if (m_route == PasteRoute::accessibilityFirst && replaceSelection(text)) {
        return PasteOutcome::replaced;
    }
    if (!ck::setString(m_pasteboard, text)) {
        AppLogger::log(QStringLiteral("❌ Could not put the chosen text on the pasteboard; nothing pasted"), kLogFile);
        return PasteOutcome::failed;
    }
    if (!Platform::current().keyEventSink().canPost()) {
        AppLogger::log(QStringLiteral("📋 No key can be posted here; the text waits on the pasteboard"), kLogFile);
        return PasteOutcome::copiedOnly;
    }
    m_clock.schedule(pasteDelay, [] { simulatePaste(); });
    return PasteOutcome::pasted;
}

bool PasteService::replaceSelection(const QString& text)
{
    // Any failure (no focused element, no editable text, a read-back that differs) falls back to
    // the pasteboard: the user's selection is still there to paste over.
    try {
        const std::optional<UIElement> focused = ck::focusedUIElement(systemWideElement());
        if (!focused || !focused->attributeIsSettable(QStringLiteral("AXSelectedText"))) {
            return false;
        }
        focused->setAttribute(QStringLiteral("AXSelectedText"), AXAny(text));
        AppLogger::log(QStringLiteral("✅ Replaced the selection through accessibility"), kLogFile);
        return true;
    } catch (...) {
        AppLogger::log(QStringLiteral("⚠️ Accessibility could not replace the selection; pasting instead"),
                       kLogFile);
        return false;
    }
}

void PasteService::simulatePaste()
{
    KeyPoster(Key::v, Modifier::command).sendGlobally(KeyUp::Send);
}

} // namespace quillora
