#pragma once

#include "app/PanelFactory.h"

namespace quillora {

/** Makes the real floating windows: `FloatingIconWindow` and `FloatingResultsWindow`. */
class WidgetPanelFactory final : public PanelFactory
{
public:
    [[nodiscard]] std::unique_ptr<IconPanel> createIconPanel() override;
    [[nodiscard]] std::unique_ptr<ResultsPanel> createResultsPanel() override;
};

} // namespace quillora
