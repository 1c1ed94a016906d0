#pragma once

#include "app/PolishedResult.h"

#include <QList>
#include <QPointer>
#include <QString>

#include <qcoro/qcorotask.h>

namespace quillora {

class BackendClient;
class PresetManager;

/** One polishing: the variations in preset order, and what the backend reported. */
struct PolishingOutcome
{
    QList<PolishedResult> results;
    QString model;
    /** The backend's processing time in seconds. */
    double duration = 0;
};

/**
 * Turns a selected text into one polished variation per preset: sends the text to the backend's
 * polish endpoint and lines the answers up with the local preset list. Keeps nothing between calls;
 * the service object may go away while a polishing runs.
 */
class AIPolishingService final
{
public:
    /** The error code when neither the backend's answer nor the local list holds a preset. */
    static constexpr qint64 noPresetsCode = -2;

    /**
     * The user-defaults key that keeps whether the service's engine, at its last answer, could
     * follow a preset's free-form instruction (absent: no answer yet, taken as yes).
     */
    static constexpr auto followsInstructionsKey = "serviceFollowsInstructions";

    /** What the user is told when there is no preset to polish with. */
    [[nodiscard]] static QString noPresetsMessage();

    /** A service on the given client and preset list. */
    AIPolishingService(BackendClient& client, PresetManager& presets);

    /**
     * Sends "POST" "/polish" with {"text": text} and returns one result per preset, in the order
     * of the preset list current when the answer arrives, matching names without regard to case;
     * a preset the backend left out gets "Error: Variation missing from AI response.". Throws the
     * error "Polishing failed" (domain "AIPolishingService", code the HTTP status or -1, with
     * "backendError" when the backend said why), a JSON decoding error for a 2xx body that does
     * not decode, the error `noPresetsMessage()` (code `noPresetsCode`) when the answer or the
     * current preset list holds no preset, or the client's transport and URL errors unchanged.
     */
    [[nodiscard]] QCoro::Task<PolishingOutcome> polishAll(QString text) const;

private:
    QPointer<BackendClient> m_client;
    QPointer<PresetManager> m_presets;
};

} // namespace quillora
