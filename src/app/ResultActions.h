#pragma once

#include <QString>

#include <functional>
#include <memory>

namespace quillora {

class BackendClient;
class Pasteboard;
struct PolishedResult;

/**
 * What a result card's buttons do, the same wherever a card is shown (the results panel, the
 * command line's demo, tests). Both buttons report the action to the backend's interaction log
 * when the variation has a log identifier; the report runs on by itself and never fails. Main thread.
 */
class ResultActions final
{
public:
    /** Reports through `backend` and copies to `pasteboard`; both must outlive the actions. */
    ResultActions(BackendClient& backend, Pasteboard& pasteboard);

    /**
     * The copy button: reports "copy", then replaces the pasteboard's content with the variation
     * as plain text. Returns whether the pasteboard took the text: only then may the card show
     * its copied mark.
     */
    [[nodiscard]] bool copy(const PolishedResult& result) const;

    /** The "Use" button: reports "use", then hands the variation's text to `select`. */
    void use(const PolishedResult& result, const std::function<void(const QString&)>& select) const;

    /** How many reports are still on their way to the backend (a program may let them finish). */
    [[nodiscard]] int reportsInFlight() const { return *m_reportsInFlight; }

private:
    void report(const PolishedResult& result, const QString& action) const;

    BackendClient& m_backend;
    Pasteboard& m_pasteboard;
    std::shared_ptr<int> m_reportsInFlight = std::make_shared<int>(0);
};

} // namespace quillora
