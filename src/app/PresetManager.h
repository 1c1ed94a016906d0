#pragma once

#include "app/PolishPreset.h"
#include "app/PresetOutcome.h"
#include "core/LifetimeGuard.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <qcoro/qcorotask.h>

#include <memory>
#include <optional>

namespace quillora {

class BackendClient;

/**
 * Owns the preset list in display order. Shows the cached list at once, then the backend's list;
 * falls back to four built-in presets when it has nothing at all; creates, updates and deletes
 * presets on the backend and mirrors each confirmed change locally, with the cache (user defaults,
 * "com.tessel.quillora.presets") rewritten after every change. None of the backend operations
 * reports failure to the application: each logs and leaves the list as it was. Main thread.
 */
class PresetManager final : public QObject
{
    Q_OBJECT

public:
    /** The user-defaults key of the cache: the JSON array of all presets, as bytes. */
    static const QString presetsKey;

    /** Loads the cache and starts loading the backend's list through `client` without waiting. */
    explicit PresetManager(BackendClient& client, QObject* parent = nullptr);
    ~PresetManager() override;

    /** The four built-in presets ("Professional", "Casual", "Fix Grammar", "Concise"), with fresh identities. */
    [[nodiscard]] static QList<PolishPreset> builtInPresets();

    /**
     * None when `name` and `instruction` are acceptable, else the message to show: a name over 50
     * or an instruction over 300 user-perceived characters, or a restricted term in either.
     */
    [[nodiscard]] static std::optional<QString> validate(const QString& name, const QString& instruction);

    /** The list, in display order. */
    [[nodiscard]] const QList<PolishPreset>& presets() const { return m_presets; }

    /** Resumes once the load started by the constructor has finished; returns what that load achieved. */
    QCoro::Task<PresetOutcome> waitForInitialLoad();

    /**
     * Moves the presets at `offsets` so that they stand, in their order, before the preset that
     * stood at `destination` (the list's length: at the end), then saves the cache. Local only.
     * Offsets outside the list are ignored.
     */
    void move(const QList<int>& offsets, int destination);

    /** Replaces the list with the built-in presets and saves the cache. */
    void setupDefaultPresets();

    /** Replaces the list with the cached one; leaves it when the cache is absent or unreadable. */
    void loadFromCache();

    /** Writes the whole list to the cache. */
    void saveToCache();

    /**
     * Replaces the list with the backend's ("GET" "/presets", exactly 200), even with an empty one.
     * On failure the list stays, or becomes the built-in list when it is empty.
     */
    QCoro::Task<PresetOutcome> loadPresets();

    /** Creates a preset on the backend and appends the backend's copy when confirmed (2xx). */
    QCoro::Task<PresetOutcome> addPreset(QString name, QString instruction);

    /**
     * Sends a changed preset to the backend and, when confirmed, replaces the local preset with the
     * same `id`. A preset unknown to the backend (no `backendId`) is not sent and not changed.
     */
    QCoro::Task<PresetOutcome> updatePreset(PolishPreset preset);

    /**
     * Deletes the presets at `offsets` on the backend, one after another in ascending order, then
     * removes them locally in one step. A refused deletion is logged and the preset removed anyway;
     * a transport failure stops everything and removes nothing. Offsets that no longer exist when
     * they are reached are skipped.
     */
    QCoro::Task<PresetOutcome> deletePreset(QList<int> offsets);

Q_SIGNALS:
    /** The list changed. */
    void presetsChanged();

private:
    struct InitialLoad;

    QCoro::Task<> runInitialLoad(std::shared_ptr<InitialLoad> load);
    void setPresets(QList<PolishPreset> presets);

    QPointer<BackendClient> m_client;
    QList<PolishPreset> m_presets;
    std::shared_ptr<InitialLoad> m_initialLoad;
    /** Ends first when the object goes: its suspended tasks stop touching it. */
    LifetimeGuard m_lifetime;
};

} // namespace quillora
