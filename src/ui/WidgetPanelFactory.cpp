#include "ui/WidgetPanelFactory.h"

#include "ui/FloatingIconWindow.h"
#include "ui/FloatingResultsWindow.h"

namespace quillora {

WidgetPanelFactory::WidgetPanelFactory(const ResultActions& cardActions)
    : m_cardActions(cardActions)
{
}

std::unique_ptr<IconPanel> WidgetPanelFactory::createIconPanel()
{
    return std::make_unique<FloatingIconWindow>();
}

std::unique_ptr<ResultsPanel> WidgetPanelFactory::createResultsPanel()
{
    return std::make_unique<FloatingResultsWindow>(m_cardActions);
}

} // namespace quillora
