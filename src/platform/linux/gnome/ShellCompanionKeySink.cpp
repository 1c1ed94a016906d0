#include "platform/linux/gnome/ShellCompanionKeySink.h"

#include "platform/linux/gnome/ShellCompanion.h"

namespace quillora {

namespace {

// The virtual key codes and modifier flags of the key table.
constexpr int kKeyV = 9;
constexpr quint64 kShiftFlag = 0x20000;
constexpr quint64 kControlFlag = 0x40000;
constexpr quint64 kCommandFlag = 0x100000;

} // namespace

ShellCompanionKeySink::ShellCompanionKeySink(ShellCompanion& companion, QStringList terminalAppIds)
    : m_companion(companion)
    , m_terminalAppIds(std::move(terminalAppIds))
{
}

QString ShellCompanionKeySink::combinationFor(const PostedKeyEvent& event, bool terminal)
{
    if (!event.keyDown) {
        return QStringLiteral("");
    }
    const bool control = (event.flags & (kCommandFlag | kControlFlag)) != 0;
    const bool shift = (event.flags & kShiftFlag) != 0;
    if (event.virtualKey == kKeyV && control) {
        return shift || terminal ? QStringLiteral("ctrl+shift+v") : QStringLiteral("ctrl+v");
    }
    return QString();
}

bool ShellCompanionKeySink::post(const PostedKeyEvent& event)
{
    if (!event.keyDown) {
        return true;
    }
    bool terminal = false;
    if (event.virtualKey == kKeyV && !m_terminalAppIds.isEmpty()) {
        const std::optional<ForeignWindow> focused = m_companion.focusedWindowNow();
        terminal = focused && m_terminalAppIds.contains(focused->appId, Qt::CaseInsensitive);
    }
    const QString combination = combinationFor(event, terminal);
    if (combination.isNull()) {
        return false;
    }
    return combination.isEmpty() || m_companion.postKeys(combination);
}

bool ShellCompanionKeySink::canPost() const
{
    return m_companion.isAvailable();
}

} // namespace quillora
