#pragma once

#include "platform/PrimarySelection.h"

namespace quillora {

/**
 * The simulated primary selection. Tests play the applications: `takeOwnership` is an application
 * taking the selection with a text (as a drag in a terminal does), `setOwnerAnswers(false)` an
 * owner that never hands the text over. Simulated apps never take it on their own.
 */
class SimPrimarySelection final : public PrimarySelection
{
public:
    void beginGesture() override;
    [[nodiscard]] std::optional<QString> textChangedDuringGesture() override;

    /** An application takes the selection, holding `text`. */
    void takeOwnership(const QString& text);
    /** Whether the owner answers requests for its text (true at first). */
    void setOwnerAnswers(bool answers) { m_answers = answers; }
    /** How often the text was asked for. */
    [[nodiscard]] int reads() const { return m_reads; }

private:
    std::optional<QString> m_text;
    quint64 m_ownerChanges = 0;
    quint64 m_changesAtGesture = 0;
    bool m_answers = true;
    int m_reads = 0;
};

} // namespace quillora
