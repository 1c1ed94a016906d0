#pragma once

#include "platform/GlobalShortcut.h"

#include <memory>
#include <optional>

class QSocketNotifier;
struct _XDisplay;

namespace quillora {

/**
 * The desktop-wide shortcut on X11: a passive grab of the combination's key on the root window,
 * on a display connection of its own (opened on first use from $DISPLAY). The grab is made four
 * times, with and without Caps Lock and Num Lock, so that the shortcut works whichever of them is
 * on. A combination another client grabbed first is reported as taken, not ignored.
 */
class X11GlobalShortcut final : public GlobalShortcut
{
public:
    X11GlobalShortcut();
    ~X11GlobalShortcut() override;

    void setHandler(Handler handler) override;
    [[nodiscard]] QCoro::Task<ShortcutBinding> bind(QString combination) override;

    /** A combination as X11 grabs it: a key and the modifier mask that must be held with it. */
    struct Chord
    {
        unsigned long keysym = 0;
        unsigned int modifiers = 0;

        bool operator==(const Chord&) const = default;
    };

    /** The chord for Qt's portable text of one combination; none for an empty or unknown one. */
    [[nodiscard]] static std::optional<Chord> chordFor(const QString& combination);

private:
    bool open();
    void release();
    void drain();

    _XDisplay* m_display = nullptr;
    bool m_opened = false;
    std::unique_ptr<QSocketNotifier> m_notifier;
    Handler m_handler;
    /** The grabbed key code and modifiers; key code 0 while nothing is grabbed. */
    unsigned int m_keycode = 0;
    unsigned int m_modifiers = 0;
};

} // namespace quillora
