#include "ui/SettingsWindow.h"

#include "ui/SettingsView.h"

#include <QVBoxLayout>

namespace quillora {

SettingsWindow::SettingsWindow(ShellServices services, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_view(new SettingsView(services, this))
{
    setObjectName(QStringLiteral("settings"));
    setWindowTitle(QStringLiteral("Settings"));
    resize(width, height);
    setMinimumWidth(width);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
}

void SettingsWindow::bringToFront()
{
    show();
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    raise();
    activateWindow();
}

} // namespace quillora
