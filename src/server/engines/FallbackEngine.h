#pragma once

#include "server/engines/RewriteEngine.h"

#include <memory>

namespace quillora {

/**
 * A language model with the rules engine behind it: every preset goes to the first engine, and a
 * preset it could not rewrite (its upstream failed or ran out of time) is rewritten by the second,
 * so the user still gets a variation. The model name then says which presets came from which
 * engine, and what the second engine reports (instructions it cannot follow, a note) holds for
 * the answer.
 */
class FallbackEngine final : public RewriteEngine
{
public:
    FallbackEngine(std::unique_ptr<RewriteEngine> primary, std::unique_ptr<RewriteEngine> fallback);

    /** The first engine's model name. */
    [[nodiscard]] QString model() const override;

    /** Never fails a preset that the second engine can rewrite; the first engine's reasons are dropped then. */
    QCoro::Task<RewriteOutcome> rewrite(QString text, QList<PresetText> presets) override;

private:
    std::unique_ptr<RewriteEngine> m_primary;
    std::unique_ptr<RewriteEngine> m_fallback;
};

} // namespace quillora
