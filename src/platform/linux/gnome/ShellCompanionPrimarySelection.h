#pragma once

#include "platform/PrimarySelection.h"

#include <QObject>

#include <functional>

namespace quillora {

class ShellCompanion;

/**
 * The primary selection on GNOME, which lets no ordinary client watch it: the companion reports
 * each new owner and reads the text on request. Every change is also handed to the offer handler,
 * so that a selection in an application without accessible text (a terminal) is noticed.
 */
class ShellCompanionPrimarySelection final : public QObject, public PrimarySelection
{
    Q_OBJECT

public:
    explicit ShellCompanionPrimarySelection(ShellCompanion& companion);

    void beginGesture() override;
    [[nodiscard]] std::optional<QString> textChangedDuringGesture() override;

    /** Calls `handler` whenever another application takes the primary selection. */
    void setOfferHandler(std::function<void()> handler) { m_offerHandler = std::move(handler); }

private:
    ShellCompanion& m_companion;
    std::function<void()> m_offerHandler;
    bool m_changedSinceGesture = false;
};

} // namespace quillora
