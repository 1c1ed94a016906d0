#pragma once

#include "ui/ShellServices.h"

#include <QMainWindow>

namespace quillora {

class ContentView;
class PermissionGate;
class TrackingControlGroup;

/**
 * The main window "Quillora History": the permission gate and the history browser, with the
 * tracking controls and the search field in its toolbar. Each window has a gate of its own, which
 * checks the permission while the window is shown and stops when it is hidden; the tracking
 * controls show only while the process is trusted.
 */
class MainWindow final : public QMainWindow
{
    Q_OBJECT

public:
    static constexpr int minimumWidth = 500;
    static constexpr int minimumHeight = 650;

    explicit MainWindow(ShellServices services, QWidget* parent = nullptr);
    ~MainWindow() override;

    [[nodiscard]] PermissionGate& gate() const { return *m_gate; }
    [[nodiscard]] ContentView& content() const { return *m_content; }
    [[nodiscard]] TrackingControlGroup& trackingControls() const { return *m_trackingControls; }

Q_SIGNALS:
    /** "Settings..." was chosen in this window. */
    void settingsRequested();
    /** "Quit" was chosen in this window. */
    void quitRequested();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void buildToolbar(ShellServices services);

    PermissionGate* m_gate;
    ContentView* m_content;
    TrackingControlGroup* m_trackingControls = nullptr;
    QAction* m_trackingAction = nullptr;
};

} // namespace quillora
