#include "app/PresetManager.h"

#include "app/AppLogger.h"
#include "app/BackendClient.h"
#include "app/BackendPreset.h"
#include "core/AsyncEvent.h"
#include "core/Detached.h"
#include "core/ErrorRecord.h"
#include "core/JsonCoding.h"
#include "core/PresetRules.h"
#include "platform/Platform.h"
#include "platform/UserDefaults.h"

#include <QCoreApplication>
#include <QJsonDocument>

#include <algorithm>

namespace quillora {

const QString PresetManager::presetsKey = QStringLiteral("com.tessel.quillora.presets");

/** The load started by the constructor: whether it has finished and what it achieved. */
struct PresetManager::InitialLoad
{
    AsyncEvent done;
    PresetOutcome outcome;
};

namespace {

const QString kLogFile = QStringLiteral("quillora/PresetManager");

// Writes the line to the log with its symbol and keeps it, without the symbol, for the caller.
void fail(PresetOutcome& outcome, const QString& symbol, const QString& problem)
{
    AppLogger::log(symbol + u' ' + problem, kLogFile);
    outcome.problems.append(problem);
}

QString statusProblem(const QString& action, const BackendResponse& response)
{
    if (!response.isHttp()) {
        return QStringLiteral("Error %1: the answer was not an HTTP response").arg(action);
    }
    return QStringLiteral("Error %1: the backend answered with status %2").arg(action).arg(response.status());
}

QJsonObject presetBody(const QString& name, const QString& instruction)
{
    return QJsonObject{{QStringLiteral("name"), name}, {QStringLiteral("instruction"), instruction}};
}

ErrorPtr missingClientError()
{
    return std::make_shared<ErrorRecord>(
        QStringLiteral("BackendClient"), 0,
        QVariantMap{{QString::fromLatin1(kLocalizedDescriptionKey), QStringLiteral("The backend client is gone.")}});
}

// One request's answer: the response, or why there is none (the client is gone, or the request
// failed).
struct Exchange
{
    std::optional<BackendResponse> response;
    ErrorPtr failure;
};

// Sends one request through `client`, turning whatever it throws into the exchange's failure. It
// touches no manager, so the caller checks afterwards whether it still exists.
QCoro::Task<Exchange> exchange(QPointer<BackendClient> client, QString path, QString method,
                               std::optional<QJsonObject> body = std::nullopt)
{
    Exchange result;
    if (!client) {
        result.failure = missingClientError();
        co_return result;
    }
    try {
        result.response = co_await client->request(std::move(path), std::move(method), std::move(body));
    } catch (...) {
        result.failure = errorFromException(std::current_exception());
    }
    co_return result;
}

} // namespace

PresetManager::PresetManager(BackendClient& client, QObject* parent)
    : QObject(parent)
    , m_client(&client)
    , m_initialLoad(std::make_shared<InitialLoad>())
{
    loadFromCache();
    runDetached(runInitialLoad(m_initialLoad));
}

PresetManager::~PresetManager() = default;

QList<PolishPreset> PresetManager::builtInPresets()
{
    QList<PolishPreset> presets;
    for (const PresetText& preset : PresetRules::builtInPresets()) {
        presets.append(PolishPreset(std::nullopt, preset.name, preset.instruction));
    }
    return presets;
}

std::optional<QString> PresetManager::validate(const QString& name, const QString& instruction)
{
    return PresetRules::validate(name, instruction);
}

QCoro::Task<PresetOutcome> PresetManager::waitForInitialLoad()
{
    const std::shared_ptr<InitialLoad> load = m_initialLoad;
    co_await load->done.wait();
    co_return load->outcome;
}

QCoro::Task<> PresetManager::runInitialLoad(std::shared_ptr<InitialLoad> load)
{
    load->outcome = co_await loadPresets();
    load->done.set();
}

void PresetManager::move(const QList<int>& offsets, int destination)
{
    QList<PolishPreset> moved;
    QList<PolishPreset> remaining;
    int insertAt = destination;
    for (int index = 0; index < m_presets.size(); ++index) {
        if (offsets.contains(index)) {
            moved.append(m_presets[index]);
            insertAt -= index < destination ? 1 : 0;
        } else {
            remaining.append(m_presets[index]);
        }
    }
    if (moved.isEmpty()) {
        return;
    }
    insertAt = std::clamp(insertAt, 0, static_cast<int>(remaining.size()));
    for (qsizetype i = 0; i < moved.size(); ++i) {
        remaining.insert(insertAt + i, moved[i]);
    }
    setPresets(std::move(remaining));
    saveToCache();
}

void PresetManager::setupDefaultPresets()
{
    setPresets(builtInPresets());
    saveToCache();
}

void PresetManager::loadFromCache()
{
    const QByteArray bytes = Platform::current().userDefaults().data(presetsKey);
    if (bytes.isNull()) {
        return;
    }
    try {
        setPresets(JsonCoding::decodeArray<PolishPreset>(JsonCoding::parse(bytes)));
    } catch (const Error&) {
        // An unreadable cache is as good as none: the backend's list replaces it shortly.
    }
}

void PresetManager::saveToCache()
{
    const QByteArray bytes = QJsonDocument(JsonCoding::encodeArray(m_presets)).toJson(QJsonDocument::Compact);
    Platform::current().userDefaults().set(presetsKey, bytes);
}

QCoro::Task<PresetOutcome> PresetManager::loadPresets()
{
    const LifetimeGuard::Watch alive = m_lifetime.watch();
    const QPointer<BackendClient> client = m_client;
    PresetOutcome outcome;
    const auto [response, failure] = co_await exchange(client, QStringLiteral("/presets"), QStringLiteral("GET"));
    if (!alive) {
        co_return outcome;
    }

    QList<PolishPreset> loaded;
    if (failure) {
        fail(outcome, QStringLiteral("❌"), QStringLiteral("Error loading presets: ") + failure->localizedDescription());
    } else if (response->status() != 200) {
        fail(outcome, QStringLiteral("❌"), statusProblem(QStringLiteral("loading presets"), *response));
    } else {
        try {
            for (const BackendPreset& preset : BackendPreset::decodeList(response->body)) {
                loaded.append(preset.toPreset());
            }
        } catch (const Error& error) {
            fail(outcome, QStringLiteral("❌"),
                 QStringLiteral("Error loading presets: ") + error.localizedDescription());
        }
    }
    if (!outcome.succeeded()) {
        if (m_presets.isEmpty()) {
            setupDefaultPresets();
        }
        co_return outcome;
    }
    setPresets(std::move(loaded));
    saveToCache();
    AppLogger::log(QStringLiteral("✅ Loaded %1 presets from backend").arg(m_presets.size()), kLogFile);
    co_return outcome;
}

QCoro::Task<PresetOutcome> PresetManager::addPreset(QString name, QString instruction)
{
    const LifetimeGuard::Watch alive = m_lifetime.watch();
    const QPointer<BackendClient> client = m_client;
    PresetOutcome outcome;
    const auto [response, failure] =
        co_await exchange(client, QStringLiteral("/presets"), QStringLiteral("POST"), presetBody(name, instruction));
    if (!alive) {
        co_return outcome;
    }
    if (failure) {
        fail(outcome, QStringLiteral("❌"), QStringLiteral("Error adding preset: ") + failure->localizedDescription());
        co_return outcome;
    }
    if (!response->isSuccess()) {
        fail(outcome, QStringLiteral("❌"), statusProblem(QStringLiteral("adding preset"), *response));
        co_return outcome;
    }
    try {
        const PolishPreset added = BackendPreset::decode(response->body).toPreset();
        QList<PolishPreset> presets = m_presets;
        presets.append(added);
        setPresets(std::move(presets));
    } catch (const Error& error) {
        fail(outcome, QStringLiteral("❌"), QStringLiteral("Error adding preset: ") + error.localizedDescription());
        co_return outcome;
    }
    saveToCache();
    AppLogger::log(QStringLiteral("✅ Added preset '%1' to backend").arg(name), kLogFile);
    co_return outcome;
}

QCoro::Task<PresetOutcome> PresetManager::updatePreset(PolishPreset preset)
{
    PresetOutcome outcome;
    if (!preset.backendId) {
        fail(outcome, QStringLiteral("⚠️"),
             QStringLiteral("Preset '%1' exists only on this device and cannot be updated").arg(preset.name));
        co_return outcome;
    }
    const LifetimeGuard::Watch alive = m_lifetime.watch();
    const QPointer<BackendClient> client = m_client;
    const auto [response, failure] =
        co_await exchange(client, QStringLiteral("/presets/%1").arg(*preset.backendId), QStringLiteral("PUT"),
                          presetBody(preset.name, preset.instruction));
    if (!alive) {
        co_return outcome;
    }
    if (failure) {
        fail(outcome, QStringLiteral("❌"), QStringLiteral("Error updating preset: ") + failure->localizedDescription());
        co_return outcome;
    }
    if (!response->isSuccess()) {
        fail(outcome, QStringLiteral("❌"), statusProblem(QStringLiteral("updating preset"), *response));
        co_return outcome;
    }
    // The list may have been reloaded meanwhile, giving every preset a new identity: then the
    // confirmed change has no local counterpart left and the reloaded list already shows it.
    const auto found = std::find_if(m_presets.cbegin(), m_presets.cend(),
                                    [&preset](const PolishPreset& candidate) { return candidate.id == preset.id; });
    if (found == m_presets.cend()) {
        co_return outcome;
    }
    QList<PolishPreset> presets = m_presets;
    presets[found - m_presets.cbegin()] = preset;
    setPresets(std::move(presets));
    saveToCache();
    AppLogger::log(QStringLiteral("✅ Updated preset '%1' on backend").arg(preset.name), kLogFile);
    co_return outcome;
}

QCoro::Task<PresetOutcome> PresetManager::deletePreset(QList<int> offsets)
{
    std::sort(offsets.begin(), offsets.end());
    offsets.erase(std::unique(offsets.begin(), offsets.end()), offsets.end());
    const LifetimeGuard::Watch alive = m_lifetime.watch();
    const QPointer<BackendClient> client = m_client;
    PresetOutcome outcome;

    for (const int offset : offsets) {
        // The list can change while a request is under way; an offset it no longer has is skipped.
        if (offset < 0 || offset >= m_presets.size()) {
            AppLogger::log(QStringLiteral("⚠️ Preset at offset %1 no longer exists; skipped").arg(offset),
                           kLogFile);
            continue;
        }
        const std::optional<qint64> backendId = m_presets[offset].backendId;
        if (!backendId) {
            continue;
        }
        const auto [response, failure] =
            co_await exchange(client, QStringLiteral("/presets/%1").arg(*backendId), QStringLiteral("DELETE"));
        if (!alive) {
            co_return outcome;
        }
        if (failure) {
            fail(outcome, QStringLiteral("❌"),
                 QStringLiteral("Error deleting preset %1: %2").arg(*backendId).arg(failure->localizedDescription()));
            co_return outcome;
        }
        if (response->isSuccess()) {
            AppLogger::log(QStringLiteral("✅ Deleted preset %1 from backend").arg(*backendId), kLogFile);
        } else {
            fail(outcome, QStringLiteral("⚠️"),
                 QStringLiteral("Failed to delete preset %1 from backend").arg(*backendId));
        }
    }

    QList<PolishPreset> presets = m_presets;
    for (auto it = offsets.crbegin(); it != offsets.crend(); ++it) {
        if (*it >= 0 && *it < presets.size()) {
            presets.removeAt(*it);
        }
    }
    setPresets(std::move(presets));
    saveToCache();
    co_return outcome;
}

void PresetManager::setPresets(QList<PolishPreset> presets)
{
    m_presets = std::move(presets);
    Q_EMIT presetsChanged();
}

} // namespace quillora
