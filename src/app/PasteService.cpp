#include "app/PasteService.h"

#include "app/AppLogger.h"
#include "capture/PasteboardExtension.h"
#include "core/Clock.h"
#include "keys/KeyPoster.h"
#include "platform/Pasteboard.h"

namespace quillora {

PasteService::PasteService(Pasteboard& pasteboard, Clock& clock)
    : m_pasteboard(pasteboard)
    , m_clock(clock)
{
}

void PasteService::paste(const QString& text) const
{
    if (!ck::setString(m_pasteboard, text)) {
        AppLogger::log(QStringLiteral("❌ Could not put the chosen text on the pasteboard; nothing pasted"),
                       QStringLiteral("quillora/PasteService"));
        return;
    }
    m_clock.schedule(pasteDelay, [] { simulatePaste(); });
}

void PasteService::simulatePaste()
{
    KeyPoster(Key::v, Modifier::command).sendGlobally(KeyUp::Send);
}

} // namespace quillora
