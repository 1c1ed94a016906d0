#pragma once

#include <QString>

#include <qcoro/qcorotask.h>

#include <functional>
#include <optional>

namespace quillora {

/** What became of a request to bind the global shortcut, as the settings show it. */
struct ShortcutBinding
{
    enum class Status {
        /** The combination now calls the handler wherever the focus is. */
        bound,
        /** Nothing is bound: none was asked for. */
        unbound,
        /** Another program holds the combination. */
        taken,
        /** The combination names no key this desktop has. */
        invalid,
        /** This desktop lets no program bind a shortcut itself; `detail` says what to do instead. */
        unsupported,
    };

    Status status = Status::unbound;
    /** For the user: how the shortcut is bound, or why not and what would help. */
    QString detail;

    bool operator==(const ShortcutBinding&) const = default;
};

/** A combination as desktops name it: the modifiers held and the key's X keysym name ("space", "a", "F9"). */
struct ShortcutKeys
{
    Qt::KeyboardModifiers modifiers;
    QString keyName;

    /** The keys of Qt's portable text of one combination ("Ctrl+Alt+Space"); none for an empty or unknown one. */
    [[nodiscard]] static std::optional<ShortcutKeys> parse(const QString& combination);
};

/**
 * One desktop-wide key combination that reaches this program whichever application has the
 * focus: a passive key grab on X11, the desktop's shortcut service or shell companion elsewhere.
 * Combinations are Qt's portable text ("Ctrl+Alt+Space"). Main thread.
 */
class GlobalShortcut
{
public:
    using Handler = std::function<void()>;

    GlobalShortcut() = default;
    GlobalShortcut(const GlobalShortcut&) = delete;
    GlobalShortcut& operator=(const GlobalShortcut&) = delete;
    virtual ~GlobalShortcut() = default;

    /** Calls `handler` each time the bound combination is pressed, from now on. */
    virtual void setHandler(Handler handler) = 0;

    /**
     * Binds `combination` in place of the combination bound before (released first); an empty
     * combination only releases. May take a round trip to the desktop. Never fails: what went
     * wrong is in the answer.
     */
    [[nodiscard]] virtual QCoro::Task<ShortcutBinding> bind(QString combination) = 0;
};

} // namespace quillora
