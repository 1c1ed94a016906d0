#include "platform/linux/gnome/ShellCompanionShortcut.h"

#include "platform/linux/gnome/ShellCompanion.h"

#include <QKeySequence>

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
    const QKeySequence sequence = QKeySequence::fromString(combination, QKeySequence::PortableText);
    if (sequence.count() != 1 || sequence[0].key() == Qt::Key_unknown) {
        return QString();
    }
    const QKeyCombination pressed = sequence[0];
    const Qt::KeyboardModifiers modifiers = pressed.keyboardModifiers();
    QString accelerator;
    if (modifiers.testFlag(Qt::ControlModifier)) {
        accelerator += QStringLiteral("<Control>");
    }
    if (modifiers.testFlag(Qt::AltModifier)) {
        accelerator += QStringLiteral("<Alt>");
    }
    if (modifiers.testFlag(Qt::ShiftModifier)) {
        accelerator += QStringLiteral("<Shift>");
    }
    if (modifiers.testFlag(Qt::MetaModifier)) {
        accelerator += QStringLiteral("<Super>");
    }
    const int key = pressed.key();
    QString name = QKeySequence(key).toString(QKeySequence::PortableText);
    // GNOME names keys as X does: letters in lower case, "space", "Escape".
    if (key >= Qt::Key_A && key <= Qt::Key_Z) {
        name = name.toLower();
    } else if (key == Qt::Key_Space) {
        name = QStringLiteral("space");
    } else if (key == Qt::Key_Escape) {
        name = QStringLiteral("Escape");
    }
    return name.isEmpty() ? QString() : accelerator + name;
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
