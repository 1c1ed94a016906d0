#pragma once

#include "BackendFixture.h"

#include "app/AIPolishingService.h"
#include "app/PresetManager.h"

#include <QJsonArray>

namespace quillora {

/**
 * A scripted backend that knows the presets "Professional" and "Casual" and answers "/polish" with
 * whatever the test sets (by default the two variations "Dear team" and "hey all"), and a preset
 * manager that has loaded that list.
 */
class PolishingFixture : public BackendFixture
{
protected:
    void SetUp() override
    {
        BackendFixture::SetUp();
        m_polish = polishReply({{QStringLiteral("Professional"), QStringLiteral("Dear team")},
                                {QStringLiteral("Casual"), QStringLiteral("hey all")}});
        server().setHandler([this](const Request& request) -> std::optional<Reply> {
            if (request.target == "/api/v1/presets") {
                return Reply::json(200, QJsonArray{backendPreset(1, QStringLiteral("Professional")),
                                                   backendPreset(2, QStringLiteral("Casual"))});
            }
            if (request.target == "/api/v1/polish") {
                return m_polish;
            }
            return Reply::json(201, QJsonObject());
        });
        m_presets = std::make_unique<PresetManager>(client());
        test::awaitTask(m_presets->waitForInitialLoad());
    }

    void TearDown() override
    {
        m_presets.reset();
        BackendFixture::TearDown();
    }

    /** Answers "/polish" with `reply`, or holds it for `server().releaseHeld` when none. */
    void answerPolish(std::optional<Reply> reply) { m_polish = std::move(reply); }

    AIPolishingService service() { return AIPolishingService(client(), *m_presets); }

private:
    std::optional<Reply> m_polish;
    std::unique_ptr<PresetManager> m_presets;
};

} // namespace quillora
