#include "ui/MainWindow.h"

#include "app/PermissionGate.h"
#include "ui/ContentView.h"
#include "ui/SystemFont.h"
#include "ui/TrackingControlGroup.h"

#include <QAction>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QToolBar>

namespace quillora {

MainWindow::MainWindow(ShellServices services, QWidget* parent)
    : QMainWindow(parent)
    , m_gate(new PermissionGate(services.accessibility, services.clock, services.tracker, this))
    , m_content(new ContentView(services, *m_gate, this))
{
    setObjectName(QStringLiteral("history"));
    setWindowTitle(QStringLiteral("Quillora History"));
    setMinimumSize(minimumWidth, minimumHeight);
    resize(560, 720);
    setCentralWidget(m_content);
    buildToolbar(services);

    QMenu* menu = menuBar()->addMenu(QStringLiteral("&Quillora"));
    menu->addAction(QStringLiteral("Settings..."), QKeySequence::Preferences, this, &MainWindow::settingsRequested);
    menu->addSeparator();
    menu->addAction(QStringLiteral("Quit"), QKeySequence::Quit, this, &MainWindow::quitRequested);

    // Coming back to the application is a moment when the user may just have granted access.
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive && isVisible()) {
            m_gate->checkPermissions();
        }
    });
}

MainWindow::~MainWindow() = default;

void MainWindow::buildToolbar(ShellServices services)
{
    QToolBar* toolbar = addToolBar(QStringLiteral("History"));
    toolbar->setObjectName(QStringLiteral("history-toolbar"));
    toolbar->setMovable(false);
    toolbar->setFloatable(false);
    toolbar->toggleViewAction()->setEnabled(false);
    toolbar->setContextMenuPolicy(Qt::PreventContextMenu);

    auto* title = new QLabel(QStringLiteral("History"), toolbar);
    title->setObjectName(QStringLiteral("history-title"));
    title->setFont(SystemFont::font(15, QFont::Bold));
    title->setContentsMargins(8, 0, 12, 0);
    toolbar->addWidget(title);

    auto* search = new QLineEdit(toolbar);
    search->setObjectName(QStringLiteral("search-field"));
    search->setPlaceholderText(QStringLiteral("Search history..."));
    search->setAccessibleName(QStringLiteral("Search history"));
    search->setClearButtonEnabled(true);
    search->setMinimumWidth(160);
    search->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(search, &QLineEdit::textChanged, m_content, &ContentView::setSearchText);
    toolbar->addWidget(search);

    m_trackingControls = new TrackingControlGroup(services.tracker, toolbar);
    auto* spacer = new QWidget(toolbar);
    spacer->setFixedWidth(8);
    toolbar->addWidget(spacer);
    m_trackingAction = toolbar->addWidget(m_trackingControls);
    // Without access nothing is tracked whatever the toggle says: the banner alone tells what to do,
    // instead of a "Paused" the user never chose beside it.
    const auto showTrackingControls = [this] { m_trackingAction->setVisible(m_gate->isTrusted()); };
    connect(m_gate, &PermissionGate::changed, this, showTrackingControls);
    showTrackingControls();
}

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
