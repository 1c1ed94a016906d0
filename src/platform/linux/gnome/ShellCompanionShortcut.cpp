#include "platform/linux/gnome/ShellCompanionShortcut.h"

#include "platform/linux/gnome/ShellCompanion.h"

namespace quillora {

ShellCompanionShortcut::ShellCompanionShortcut(ShellCompanion& companion)
    : m_companion(companion)
{
    connect(&companion, &ShellCompanion::shortcutActivated, this, [this] {
        if (m_handler) {
            m_handler();
        }
    });
}

QString ShellCompanionShortcut::acceleratorFor(const QString& combination)
{
    const std::optional<ShortcutKeys> keys = ShortcutKeys::parse(combination);
    if (!keys) {
        return QString();
    }
    QString accelerator;
    for (const auto& [modifier, name] :
         {std::pair{Qt::ControlModifier, "<Control>"}, std::pair{Qt::AltModifier, "<Alt>"},
          std::pair{Qt::ShiftModifier, "<Shift>"}, std::pair{Qt::MetaModifier, "<Super>"}}) {
        if (keys->modifiers.testFlag(modifier)) {
            accelerator += QLatin1String(name);
        }
    }
    return accelerator + keys->keyName;
}

QCoro::Task<ShortcutBinding> ShellCompanionShortcut::bind(QString combination)
{
    const QString accelerator = acceleratorFor(combination);
    if (!combination.isEmpty() && accelerator.isEmpty()) {
        co_return ShortcutBinding{ShortcutBinding::Status::invalid,
                                  QStringLiteral("%1 is not a key combination GNOME can hold").arg(combination)};
    }
    const std::optional<bool> held = co_await m_companion.setShortcut(accelerator);
    if (!held) {
        co_return ShortcutBinding{
            ShortcutBinding::Status::unsupported,
            QStringLiteral("the Quillora extension of GNOME Shell does not answer; enable it with `gnome-extensions "
                           "enable %1`")
                .arg(QLatin1String(ShellCompanion::extensionUuid))};
    }
    if (combination.isEmpty()) {
        co_return ShortcutBinding{ShortcutBinding::Status::unbound, {}};
    }
    if (!*held) {
        co_return ShortcutBinding{
            ShortcutBinding::Status::taken,
            QStringLiteral("GNOME Shell or another program already uses %1; choose another combination")
                .arg(combination)};
    }
    co_return ShortcutBinding{ShortcutBinding::Status::bound, QStringLiteral("held by GNOME Shell")};
}

} // namespace quillora
