#include "platform/linux/x11/X11GlobalShortcut.h"

namespace quillora {

X11GlobalShortcut::X11GlobalShortcut()
{
    m_grab.setHandler([this](const X11KeyGrab::Chord&) {
        if (m_handler) {
            m_handler();
        }
    });
}

QCoro::Task<ShortcutBinding> X11GlobalShortcut::bind(QString combination)
{
    m_grab.releaseAll();
    if (combination.isEmpty()) {
        co_return ShortcutBinding{ShortcutBinding::Status::unbound, {}};
    }
    const std::optional<X11KeyGrab::Chord> chord = X11KeyGrab::chordFor(combination);
    if (!chord) {
        co_return ShortcutBinding{ShortcutBinding::Status::invalid,
                                  QStringLiteral("%1 is not a key combination X11 can grab").arg(combination)};
    }
    switch (m_grab.grab({*chord})) {
    case X11KeyGrab::Result::grabbed:
        break;
    case X11KeyGrab::Result::noDisplay:
        co_return ShortcutBinding{ShortcutBinding::Status::unsupported,
                                  QStringLiteral("the X server named by DISPLAY does not answer")};
    case X11KeyGrab::Result::noKey:
        co_return ShortcutBinding{ShortcutBinding::Status::invalid,
                                  QStringLiteral("the keyboard has no key for %1").arg(combination)};
    case X11KeyGrab::Result::taken:
        co_return ShortcutBinding{
            ShortcutBinding::Status::taken,
            QStringLiteral("another program already uses %1; choose another combination").arg(combination)};
    }
    co_return ShortcutBinding{ShortcutBinding::Status::bound, QStringLiteral("grabbed on the X server")};
}

} // namespace quillora
