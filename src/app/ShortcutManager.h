#pragma once

#include "core/LifetimeGuard.h"
#include "platform/GlobalShortcut.h"

#include <QObject>
#include <QString>

#include <qcoro/qcorotask.h>

#include <optional>

namespace quillora {

class SelectionTracker;
class UserDefaults;

/**
 * The desktop-wide shortcut that polishes the current selection at once, as a click on the icon
 * would. Bound while tracking runs and released while it is paused, so that a paused program
 * holds no key; rebound when the user picks another combination. What the desktop answered is
 * kept for the settings to show. Main thread.
 */
class ShortcutManager final : public QObject
{
    Q_OBJECT

public:
    /** The user-defaults key of the combination (Qt's portable text); an empty text means none. */
    static constexpr auto combinationKey = "globalShortcut";
    /** The combination when none was ever chosen. */
    static constexpr auto defaultCombination = "Ctrl+Alt+Space";

    /**
     * Binds through `shortcut` (null where the desktop has none to bind: the settings then say
     * so) and polishes through `tracker`, whose tracking state it follows from now on.
     */
    ShortcutManager(GlobalShortcut* shortcut, UserDefaults& defaults, SelectionTracker& tracker,
                    QObject* parent = nullptr);
    ~ShortcutManager() override;

    /** The chosen combination: the stored one, or the default when none was ever stored. */
    [[nodiscard]] QString combination() const;

    /** Stores `combination` (empty for none) and binds it in place of the one before. */
    void setCombination(const QString& combination);

    /** What the desktop answered to the last binding; `unsupported` without a shortcut service. */
    [[nodiscard]] ShortcutBinding binding() const { return m_binding; }

Q_SIGNALS:
    /** The binding changed: bound, released, or refused. */
    void bindingChanged();

private:
    /** Binds what should be bound now: the combination while tracking runs, nothing otherwise. */
    void refresh();
    QCoro::Task<> bindWanted();

    GlobalShortcut* m_shortcut;
    UserDefaults& m_defaults;
    SelectionTracker& m_tracker;
    ShortcutBinding m_binding;
    /** What was last handed to the desktop; none before the first binding. */
    std::optional<QString> m_applied;
    bool m_bindRunning = false;
    LifetimeGuard m_lifetime;
};

} // namespace quillora
