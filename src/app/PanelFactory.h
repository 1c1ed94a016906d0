#pragma once

#include <memory>

namespace quillora {

class IconPanel;
class ResultsPanel;

/**
 * Makes the two floating panels. The widget library provides the real windows; tests of the
 * tracker use fakes.
 */
class PanelFactory
{
public:
    PanelFactory() = default;
    PanelFactory(const PanelFactory&) = delete;
    PanelFactory& operator=(const PanelFactory&) = delete;
    virtual ~PanelFactory() = default;

    /** A new, hidden icon panel. Never fails. */
    [[nodiscard]] virtual std::unique_ptr<IconPanel> createIconPanel() = 0;

    /** A new, hidden results panel. Never fails. */
    [[nodiscard]] virtual std::unique_ptr<ResultsPanel> createResultsPanel() = 0;
};

} // namespace quillora
