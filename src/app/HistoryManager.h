#pragma once

#include "app/HistoryItem.h"
#include "core/Clock.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QFileSystemWatcher;

namespace quillora {

/**
 * The history of past polishings, newest first, at most 100, kept in
 * "<app data>/com.tessel.quillora/history.json" as a JSON array of items, readable by its owner
 * only. Loaded when made. Every change reads what other processes saved since, applies itself and
 * writes the whole list atomically (temporary file, then rename), all under a lock file beside the
 * history, so that the app and command-line runs never lose each other's entries. The lock is
 * never waited for on the main thread: while another program holds it, changes stay in memory
 * (and in `notice`) and a timer tries again every `lockRetryInterval` seconds. The file's folder
 * is watched, so that entries other programs save appear while the list is open. Failures are
 * logged and kept in `lastError` for the windows and the command line to show; the list in memory
 * changes anyway. Main thread.
 */
class HistoryManager final : public QObject
{
    Q_OBJECT

public:
    /** The most items `addEntry` keeps. */
    static constexpr qsizetype maximumItems = 100;
    /** How often changes waiting for another program's lock try again, in seconds. */
    static constexpr double lockRetryInterval = 0.25;

    /** Loads the history file of the platform's app-data folder. */
    explicit HistoryManager(QObject* parent = nullptr);
    ~HistoryManager() override;

    /**
     * Why the history could not be read or saved the last time that was tried ("The history could
     * not be saved: …"); none once a read or save succeeds. Shown wherever the history is shown.
     */
    [[nodiscard]] const std::optional<QString>& lastError() const { return m_lastError; }

    /**
     * What the window says about the history besides errors: that changes wait for another
     * program's lock, or that an unreadable file was kept aside (with its name); none otherwise.
     */
    [[nodiscard]] std::optional<QString> notice() const;

    /** True while changes wait in memory for the lock. */
    [[nodiscard]] bool hasUnsavedChanges() const { return !m_pending.isEmpty() || m_saveRequested; }

    /**
     * Waits, blocking, up to 5 s for the lock and saves the changes still waiting; for programs
     * that end right after a change (the command line). A lock still held then is kept in
     * `lastError`.
     */
    void finishPendingSave();

    /** The items, newest first. */
    [[nodiscard]] const QList<HistoryItem>& items() const { return m_items; }

    /** Puts a new item for this polishing at the front, drops the oldest beyond 100, and saves. */
    void addEntry(const QString& originalText, const QList<PolishedResult>& results,
                  const std::optional<QString>& modelUsed, const std::optional<double>& responseTime);

    /** Empties the list and saves it (an empty array, not a deleted file). */
    void clearHistory();

    /**
     * The location of the history file, creating its folder when missing (a failure to create it
     * shows at the next write); none when the platform has no app-data folder.
     */
    [[nodiscard]] std::optional<QString> historyURL() const;

    /**
     * Writes the list to the file atomically, under the lock. An unreadable file found before is
     * first kept aside as "history.json.corrupt-<date>-<time>"; if that copy cannot be made,
     * nothing is written. Failures are logged and kept in `lastError`; the list is kept either way.
     */
    void saveHistory();

    /**
     * Reads the file into the list (changes still waiting for the lock are applied again on top);
     * a missing file leaves it, an unreadable one is logged, kept in `lastError` and left.
     */
    void loadHistory();

    /** The file's content for `items`: a compact JSON array. */
    [[nodiscard]] static QByteArray encodeHistory(const QList<HistoryItem>& items);

    /** The items of a history file's content. Throws `JsonDecodingError` when any part does not decode. */
    [[nodiscard]] static QList<HistoryItem> decodeHistory(const QByteArray& content);

Q_SIGNALS:
    /** The list changed. */
    void itemsChanged();

    /** `lastError` changed. */
    void lastErrorChanged();

    /** `notice` changed. */
    void noticeChanged();

private:
    using Change = std::function<void(QList<HistoryItem>&)>;

    void change(Change apply);
    /** Takes the lock (waiting up to `waitMilliseconds`) and writes what waits; false while it is held. */
    bool savePending(int waitMilliseconds);
    void scheduleRetry();
    void setWaitingForLock(bool waiting);
    void watchFile();
    void fileChanged();
    [[nodiscard]] QByteArray fileStamp() const;
    bool readFile(const QString& path);
    void writeFile(const QString& path);
    bool keepUnreadableFileAside(const QString& path);
    void saveFailed(const QString& reason);
    void setLastError(std::optional<QString> error);
    void setAsideNotice(std::optional<QString> notice);

    QList<HistoryItem> m_items;
    /** Changes applied to the list in memory but not yet written, oldest first. */
    QList<Change> m_pending;
    /** True while the file must be written even without a pending change (a save asked for). */
    bool m_saveRequested = false;
    /** True while another program holds the lock and the changes wait for it. */
    bool m_waitingForLock = false;
    Timer m_retry;
    QFileSystemWatcher* m_watcher = nullptr;
    /** The file as last read or written (identity, size, time), so that a change of it is seen. */
    QByteArray m_stamp;
    std::optional<QString> m_asideNotice;
    bool m_fileUnreadable = false;
    std::optional<QString> m_lastError;
};

} // namespace quillora
