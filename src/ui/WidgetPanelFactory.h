#pragma once

#include "app/PanelFactory.h"

namespace quillora {

class ResultActions;

/** Makes the real floating windows: `FloatingIconWindow` and `FloatingResultsWindow`. */
class WidgetPanelFactory final : public PanelFactory
{
public:
    /** The results panels' cards run `cardActions`, which must outlive every panel made. */
    explicit WidgetPanelFactory(const ResultActions& cardActions);

    [[nodiscard]] std::unique_ptr<IconPanel> createIconPanel() override;
    [[nodiscard]] std::unique_ptr<ResultsPanel> createResultsPanel() override;

private:
    const ResultActions& m_cardActions;
};

} // namespace quillora
