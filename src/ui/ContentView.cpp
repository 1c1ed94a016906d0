#include "ui/ContentView.h"

#include "app/PermissionGate.h"

#include <QScrollArea>
#include <QVBoxLayout>

namespace quillora {

ContentView::ContentView(ShellServices services, PermissionGate& gate, QWidget* parent)
    : QWidget(parent)
    , m_services(services)
    , m_gate(gate)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* list = new QScrollArea(this);
    list->setObjectName(QStringLiteral("history-list"));
    layout->addWidget(list);
}

} // namespace quillora
