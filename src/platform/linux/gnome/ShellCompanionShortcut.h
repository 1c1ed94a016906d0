#pragma once

#include "platform/GlobalShortcut.h"

#include <QObject>

namespace quillora {

class ShellCompanion;

/** The desktop-wide shortcut on GNOME, held by the shell through the companion. */
class ShellCompanionShortcut final : public QObject, public GlobalShortcut
{
    Q_OBJECT

public:
    explicit ShellCompanionShortcut(ShellCompanion& companion);

    void setHandler(Handler handler) override { m_handler = std::move(handler); }
    [[nodiscard]] QCoro::Task<ShortcutBinding> bind(QString combination) override;

    /** GNOME's accelerator text for Qt's portable text of one combination; empty when there is none. */
    [[nodiscard]] static QString acceleratorFor(const QString& combination);

private:
    ShellCompanion& m_companion;
    Handler m_handler;
};

} // namespace quillora
