#include "ui/WidgetPanelFactory.h"

#include "ui/FloatingIconWindow.h"
#include "ui/FloatingResultsWindow.h"

namespace quillora {

std::unique_ptr<IconPanel> WidgetPanelFactory::createIconPanel()
{
    return std::make_unique<FloatingIconWindow>();
}

std::unique_ptr<ResultsPanel> WidgetPanelFactory::createResultsPanel()
{
    return std::make_unique<FloatingResultsWindow>();
}

} // namespace quillora
