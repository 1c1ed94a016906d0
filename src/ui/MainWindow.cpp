#include "ui/MainWindow.h"

#include "app/PermissionGate.h"
#include "ui/ContentView.h"

namespace quillora {

MainWindow::MainWindow(ShellServices services, QWidget* parent)
    : QMainWindow(parent)
    , m_gate(new PermissionGate(services.accessibility, services.workspace, services.clock, services.tracker, this))
    , m_content(new ContentView(services, *m_gate, this))
{
    setObjectName(QStringLiteral("history"));
    setWindowTitle(QStringLiteral("Quillora History"));
    setMinimumSize(minimumWidth, minimumHeight);
    setCentralWidget(m_content);
}

MainWindow::~MainWindow() = default;

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    m_gate->setShown(true);
}

void MainWindow::hideEvent(QHideEvent* event)
{
    QMainWindow::hideEvent(event);
    m_gate->setShown(false);
}

} // namespace quillora
