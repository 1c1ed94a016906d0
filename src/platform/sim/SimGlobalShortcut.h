#pragma once

#include "platform/GlobalShortcut.h"

#include <QStringList>

namespace quillora {

/**
 * The simulated desktop-wide shortcut. Tests play the user and the other programs: `press` is the
 * user pressing the bound combination, `setTakenByOthers` combinations other programs hold.
 */
class SimGlobalShortcut final : public GlobalShortcut
{
public:
    void setHandler(Handler handler) override { m_handler = std::move(handler); }
    [[nodiscard]] QCoro::Task<ShortcutBinding> bind(QString combination) override;

    /** The combination bound now; empty while none is. */
    [[nodiscard]] QString bound() const { return m_bound; }
    /** Combinations that other programs hold, which binding reports as taken. */
    void setTakenByOthers(QStringList combinations) { m_taken = std::move(combinations); }
    /** The user presses the bound combination; nothing happens while none is bound. */
    void press();

private:
    Handler m_handler;
    QString m_bound;
    QStringList m_taken;
};

} // namespace quillora
