#pragma once

#include <QObject>

class QMenu;
class QSystemTrayIcon;

namespace quillora {

/**
 * The application's entry in the desktop's system tray (StatusNotifierItem where offered, the
 * XEmbed tray otherwise): "Quillora" with "Show History", "Settings...", a separator and "Quit",
 * none with a shortcut.
 */
class TrayEntry final : public QObject
{
    Q_OBJECT

public:
    explicit TrayEntry(QObject* parent = nullptr);
    ~TrayEntry() override;

    /** True when the desktop offers a tray. */
    [[nodiscard]] static bool isAvailable();

    /** Puts the entry into the tray. Does nothing visible without a tray. */
    void show();

    [[nodiscard]] QMenu& menu() const { return *m_menu; }

Q_SIGNALS:
    void showHistoryRequested();
    void settingsRequested();
    void quitRequested();

private:
    QMenu* m_menu;
    QSystemTrayIcon* m_icon;
};

} // namespace quillora
