#pragma once

#include "ax/UIElement.h"
#include "capture/SystemMenuItem.h"

#include <qcoro/qcorotask.h>

namespace quillora {

/** Whether a menu item must be enabled to count as found. */
enum class RequireEnabled { No, Yes };

/**
 * The toolkit's accessibility manager: finds the frontmost application's edit menu items, reads
 * the focused element's selected text and the screen frame of that selection. One shared instance
 * serves the process; tests may make their own. It holds no state.
 */
class AXManager final
{
public:
    AXManager() = default;
    AXManager(const AXManager&) = delete;
    AXManager& operator=(const AXManager&) = delete;

    /** The process-wide instance, made on first use. */
    static AXManager& shared();

    /**
     * The frontmost application's menu item for `item`. Throws `AXError` APIDisabled when the
     * process is not trusted for accessibility (the user may be asked to grant it), `noMenuItem`
     * when there is no frontmost application or no such item, `disabledMenuItem` when the item
     * must be enabled and is not (or its state is unknown), and errors of the enabled-state read.
     */
    [[nodiscard]] UIElement findMenuItem(SystemMenuItem item, RequireEnabled requireEnabled);

    /** `findMenuItem` with an enabled item required. */
    [[nodiscard]] UIElement findEnabledMenuItem(SystemMenuItem item);

    /** True when the frontmost application has a Copy item, enabled or not. Never throws. */
    [[nodiscard]] bool hasCopyMenuItem();
    /** True when the frontmost application has a Paste item, enabled or not. Never throws. */
    [[nodiscard]] bool hasPasteMenuItem();

    /**
     * The screen rectangle of the focused element's selected text; the empty rectangle when the
     * focused element, its selected range or the range's bounds are missing. Throws read errors.
     */
    [[nodiscard]] AXRect getSelectedTextFrame();

    /**
     * The focused element's selected text (possibly empty). Throws `AXError` NoValue when there is
     * no focused element or it has no selected text, and the errors of the reads.
     */
    [[nodiscard]] QCoro::Task<QString> getSelectedTextByAX();

private:
    [[nodiscard]] bool hasMenuItem(SystemMenuItem item);
};

} // namespace quillora
