#include "app/PasteService.h"

#include "app/AppLogger.h"
#include "ax/SystemWideElement.h"
#include "capture/ElementAccessors.h"
#include "capture/PasteboardExtension.h"
#include "core/Clock.h"
#include "core/Detached.h"
#include "keys/KeyPoster.h"
#include "platform/Accessibility.h"
#include "platform/KeyEventSink.h"
#include "platform/Pasteboard.h"
#include "platform/Platform.h"
#include "platform/UserDefaults.h"
#include "platform/Workspace.h"

#include <QFileInfo>

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

QCoro::Task<PasteOutcome> PasteService::pasteIfAnswering(QString text, std::optional<PasteTarget> target,
                                                         int budgetMs) const
{
    if (target && target->pid > 0) {
        QCoro::Task<bool> asking = Platform::current().accessibility().answers(target->pid, budgetMs);
        if (!co_await std::move(asking)) {
            co_return copyOnly(
                text, PasteOutcome::targetNotAnswering,
                QStringLiteral("⏳ The selection's application does not answer; the text is copied only"));
        }
    }
    co_return paste(text, target);
}

PasteOutcome PasteService::copyOnly(const QString& text, PasteOutcome outcome, const QString& why) const
{
    if (!capture::setString(m_pasteboard, text)) {
        AppLogger::log(QStringLiteral("❌ Could not put the chosen text on the pasteboard; nothing pasted"), kLogFile);
        return PasteOutcome::failed;
    }
    AppLogger::log(why, kLogFile);
    return outcome;
}

PasteOutcome PasteService::paste(const QString& text, const std::optional<PasteTarget>& target) const
{
    if (target && !hasFocus(*target)) {
        return copyOnly(text, PasteOutcome::targetGone,
                        QStringLiteral("📋 The selection's window no longer has the focus; the text is copied only"));
    }
    if (m_route == PasteRoute::accessibilityFirst && replaceSelection(text)) {
        return PasteOutcome::replaced;
    }
    const bool canPost = Platform::current().keyEventSink().canPost();
    // Every type the user had (images, file lists, …) is saved before the variation replaces it.
    const QList<PasteboardItem> saved =
        canPost && restoresClipboard() ? capture::backupItems(m_pasteboard) : QList<PasteboardItem>();
    if (!capture::setString(m_pasteboard, text)) {
        AppLogger::log(QStringLiteral("❌ Could not put the chosen text on the pasteboard; nothing pasted"), kLogFile);
        return PasteOutcome::failed;
    }
    if (!canPost) {
        AppLogger::log(QStringLiteral("📋 No key can be posted here; the text waits on the pasteboard"), kLogFile);
        return PasteOutcome::copiedOnly;
    }
    Pasteboard& pasteboard = m_pasteboard;
    Clock& clock = m_clock;
    const qint64 written = pasteboard.changeCount();
    m_clock.schedule(pasteDelay, [&pasteboard, &clock, target, saved, written] {
        runDetached(pasteOnceKeysAreUp(pasteboard, clock, target, saved, written));
    });
    return PasteOutcome::pasted;
}

QCoro::Task<> PasteService::pasteOnceKeysAreUp(Pasteboard& pasteboard, Clock& clock, std::optional<PasteTarget> target,
                                               QList<PasteboardItem> saved, qint64 written)
{
    // A modifier the user still holds (the Alt of a shortcut) would join the paste keys.
    QCoro::Task<> released = KeyPoster::modifiersReleased();
    co_await std::move(released);
    // The application may have gone during the wait: the key would reach whatever is in front.
    if (target && !hasFocus(*target)) {
        AppLogger::log(QStringLiteral("📋 The selection's window lost the focus before the paste; the text is "
                                      "copied only"),
                       kLogFile);
        co_return;
    }
    simulatePaste();
    if (saved.isEmpty()) {
        co_return;
    }
    clock.schedule(restoreDelay, [&pasteboard, saved, written] {
        // What another program (or the user) copied since is theirs to keep.
        if (pasteboard.changeCount() == written) {
            capture::restoreItems(pasteboard, saved);
        }
    });
}

bool PasteService::restoresClipboard()
{
    const UserDefaults& defaults = Platform::current().userDefaults();
    const QString key = QLatin1String(restoreClipboardKey);
    return !defaults.contains(key) || defaults.boolValue(key);
}

bool PasteService::hasFocus(const PasteTarget& target)
{
    const Workspace& workspace = Platform::current().workspace();
    if (target.pid > 0) {
        // The workspace lists only the applications it can see (on Wayland, those running through
        // Xwayland): one it does not list is gone only when its process is.
        const std::optional<RunningApplication> source = workspace.application(target.pid);
        if (source ? source->terminated : !QFileInfo::exists(QStringLiteral("/proc/%1").arg(target.pid))) {
            return false;
        }
    }
    // Where the desktop names no frontmost application (Wayland), the focused element decides.
    const std::optional<RunningApplication> front = workspace.frontmostApplication();
    if (target.pid > 0 && front && front->pid != target.pid) {
        return false;
    }
    const bool sameFront = target.pid > 0 && front;
    if (!target.element) {
        return true;
    }
    try {
        const std::optional<UIElement> focused = capture::focusedUIElement(systemWideElement());
        if (focused && *focused == *target.element) {
            return true;
        }
        // While a key grab is active (the panel's keys), a toolkit may report no field or its
        // window as focused: the application still in front is then the one to trust.
        return sameFront && (!focused || focused->pid() == target.pid);
    } catch (...) {
        // An application that does not answer now may still be the one in front: its process and
        // the frontmost application were checked above.
        return target.pid > 0;
    }
}

bool PasteService::replaceSelection(const QString& text)
{
    // Any failure (no focused element, no editable text, a read-back that differs) falls back to
    // the pasteboard: the user's selection is still there to paste over.
    try {
        const std::optional<UIElement> focused = capture::focusedUIElement(systemWideElement());
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
