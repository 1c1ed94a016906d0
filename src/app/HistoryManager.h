#pragma once

#include "app/HistoryItem.h"

#include <QList>
#include <QObject>
#include <QString>

#include <optional>

namespace quillora {

/**
 * The history of past polishings, newest first, at most 100, kept in
 * "<app data>/com.tessel.quillora/history.json" as a JSON array of items. Loaded once when made;
 * written whole, atomically (temporary file, then rename), whenever a caller changes it. Failures
 * are logged and never reported: the history then lives in memory only. Main thread.
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
     * Writes the list to the file atomically. An unreadable file found at load time is first kept
     * aside as "history.json.corrupt"; if that copy cannot be made, nothing is written. Failures
     * are logged; the list is kept either way.
     */
    void saveHistory();

    /** Reads the file into the list; a missing file leaves it, an unreadable one is logged and left. */
    void loadHistory();

    /** The file's content for `items`: a compact JSON array. */
    [[nodiscard]] static QByteArray encodeHistory(const QList<HistoryItem>& items);

    /** The items of a history file's content. Throws `JsonDecodingError` when any part does not decode. */
    [[nodiscard]] static QList<HistoryItem> decodeHistory(const QByteArray& content);

Q_SIGNALS:
    /** The list changed. */
    void itemsChanged();

private:
    bool keepUnreadableFileAside(const QString& path);

    QList<HistoryItem> m_items;
    bool m_fileUnreadable = false;
};

} // namespace quillora
