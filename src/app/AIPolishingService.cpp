#include "app/AIPolishingService.h"

#include "app/AppLogger.h"
#include "app/BackendClient.h"
#include "app/BackendPolishingResponse.h"
#include "app/PresetManager.h"
#include "core/ErrorRecord.h"
#include "core/Utf8Text.h"
#include "core/PolishLimits.h"
#include "platform/Platform.h"
#include "platform/UserDefaults.h"

#include <algorithm>

namespace quillora {

namespace {

const QString kLogFile = QStringLiteral("quillora/AIPolishingService");
const QString kMissingVariation = QStringLiteral("Error: Variation missing from AI response.");

QList<PolishedResult> orderedResults(const BackendPolishingResponse& response, const QList<PolishPreset>& presets)
{
    QList<PolishedResult> results;
    results.reserve(presets.size());
    for (const PolishPreset& preset : presets) {
        const auto match =
            std::find_if(response.results.cbegin(), response.results.cend(), [&preset](const auto& entry) {
                return entry.first.compare(preset.name, Qt::CaseInsensitive) == 0;
            });
        if (match != response.results.cend()) {
            PolishedResult result(preset.name, match->second, response.logId);
            result.correctionsOnly = response.correctionsOnly.contains(preset.name, Qt::CaseInsensitive) ||
                                     response.correctionsOnly.contains(match->first, Qt::CaseInsensitive);
            result.note = response.note;
            results.append(std::move(result));
        } else {
            AppLogger::log(QStringLiteral("⚠️ Variation '%1' missing from backend response.").arg(preset.name),
                           kLogFile);
            results.append(PolishedResult(preset.name, kMissingVariation, response.logId));
        }
    }
    return results;
}

ErrorRecord polishingFailure(const BackendResponse& response)
{
    const int status = response.status();
    QVariantMap userInfo{{QString::fromLatin1(kLocalizedDescriptionKey), QStringLiteral("Polishing failed")}};
    const QString prefix = QStringLiteral("❌ Backend Polishing failed (%1): ").arg(status);
    try {
        const BackendError error = BackendError::decode(response.body);
        AppLogger::log(prefix + error.error, kLogFile);
        userInfo.insert(QStringLiteral("backendError"), error.error);
    } catch (const Error&) {
        if (const std::optional<QString> text = decodeUtf8(response.body)) {
            AppLogger::log(prefix + *text, kLogFile);
        } else {
            AppLogger::log(QStringLiteral("❌ Backend Polishing failed with status %1").arg(status), kLogFile);
        }
    }
    return ErrorRecord(QStringLiteral("AIPolishingService"), status, userInfo);
}

} // namespace

QString AIPolishingService::noPresetsMessage()
{
    return QStringLiteral("There are no presets to polish with. Add a preset in Settings, then try again.");
}

AIPolishingService::AIPolishingService(BackendClient& client, PresetManager& presets)
    : m_client(&client)
    , m_presets(&presets)
{
}

QCoro::Task<PolishingOutcome> AIPolishingService::polishAll(QString text) const
{
    // Copied before the first suspension: the service itself may be gone when the answer arrives.
    const QPointer<BackendClient> client = m_client;
    const QPointer<PresetManager> presets = m_presets;
    const qsizetype presetCount = presets ? presets->presets().size() : 0;
    AppLogger::log(QStringLiteral("🚀 Starting Backend Polishing API Call for %1 presets...").arg(presetCount),
                   kLogFile);
    if (!client) {
        throw ErrorRecord(
            QStringLiteral("AIPolishingService"), -1,
            QVariantMap{{QString::fromLatin1(kLocalizedDescriptionKey), QStringLiteral("Polishing failed")}});
    }

    // Bodies are built before the await: GCC 12 miscompiles braced lists inside a co_await expression.
    const QJsonObject body{{QStringLiteral("text"), text}};
    const BackendResponse response = co_await client->request(QStringLiteral("/polish"), QStringLiteral("POST"), body);
    if (!response.isSuccess()) {
        throw polishingFailure(response);
    }
    const BackendPolishingResponse decoded =
        BackendPolishingResponse::decode(response.body, PolishLimits::characters(text));
    for (const QString& name : decoded.tooLong) {
        AppLogger::log(QStringLiteral("⚠️ Variation '%1' longer than the bound: dropped.").arg(name), kLogFile);
    }
    // The last answer tells the preset editor whether a new instruction would be followed.
    UserDefaults& defaults = Platform::current().userDefaults();
    const QString followsKey = QLatin1String(followsInstructionsKey);
    if (!defaults.contains(followsKey) || defaults.boolValue(followsKey) != decoded.followsInstructions) {
        defaults.set(followsKey, decoded.followsInstructions);
    }
    // The list is read again now, so that an edit made while the request ran orders the cards.
    const QList<PolishPreset> current = presets ? presets->presets() : QList<PolishPreset>();
    // Without a preset on either side there is nothing to show: an empty panel and an empty
    // history entry would look like a success.
    if ((decoded.results.isEmpty() && decoded.tooLong.isEmpty()) || current.isEmpty()) {
        AppLogger::log(QStringLiteral("❌ Polishing returned no variations: there are no presets"), kLogFile);
        throw ErrorRecord(QStringLiteral("AIPolishingService"), noPresetsCode,
                          QVariantMap{{QString::fromLatin1(kLocalizedDescriptionKey), noPresetsMessage()}});
    }
    co_return PolishingOutcome{orderedResults(decoded, current), decoded.model, decoded.duration};
}

} // namespace quillora
