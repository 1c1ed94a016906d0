#include "app/PasteService.h"

#include "app/AppLogger.h"
#include "keys/KeyPoster.h"
#include "core/Clock.h"
#include "platform/Pasteboard.h"
#include "platform/Platform.h"

namespace quillora {

PasteService& PasteService::shared()
{
    static PasteService instance;
    return instance;
}

void PasteService::paste(const QString& text) const
{
    Pasteboard& pasteboard = Platform::current().pasteboard();
    pasteboard.clearContents();
    if (!pasteboard.setString(text)) {
        AppLogger::log(QStringLiteral("❌ Could not put the chosen text on the pasteboard; nothing pasted"),
                       QStringLiteral("quillora/PasteService"));
        return;
    }
    Platform::current().clock().schedule(pasteDelay, [] { simulatePaste(); });
}

void PasteService::simulatePaste()
{
    KeyPoster(Key::v, Modifier::command).sendGlobally(KeyUp::Send);
}

} // namespace quillora
