#pragma once

#include "app/HistoryItem.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

namespace quillora {

/**
 * The history of past polishings, newest first, at most 100, kept in
 * "<app data>/com.tessel.quillora/history.json" as a JSON array of items, readable by its owner
 * only. Loaded when made. Every change reads what other processes saved since, applies itself and
 * writes the whole list atomically (temporary file, then rename), all under a lock file beside the
 * history, so that the app and command-line runs never lose each other's entries. Failures are
 * logged and kept in `lastError` for the windows and the command line to show; the list in memory
 * changes anyway. Main thread.
 */
class HistoryManager final : public QObject
{
    Q_OBJECT

public:
    /** The most items `addEntry` keeps. */
    static constexpr qsizetype maximumItems = 100;

    /** Loads the history file of the platform's app-data folder. */
    explicit HistoryManager(QObject* parent = nullptr);
    ~HistoryManager() override;

    /**
     * Why the history could not be read or saved the last time that was tried ("The history could
     * not be saved: …"); none once a read or save succeeds. Shown wherever the history is shown.
     */
    [[nodiscard]] const std::optional<QString>& lastError() const { return m_lastError; }

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
     * Reads the file into the list; a missing file leaves it, an unreadable one is logged, kept in
     * `lastError` and left.
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

private:
    void change(const std::function<void(QList<HistoryItem>&)>& apply);
    bool readFile(const QString& path);
    void writeFile(const QString& path);
    bool keepUnreadableFileAside(const QString& path);
    void saveFailed(const QString& reason);
    void setLastError(std::optional<QString> error);

    QList<HistoryItem> m_items;
    bool m_fileUnreadable = false;
    std::optional<QString> m_lastError;
};

} // namespace quillora
