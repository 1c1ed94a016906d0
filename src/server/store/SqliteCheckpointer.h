#pragma once

#include <QString>
#include <QThread>

namespace quillora {

/**
 * Copies a SQLite write-ahead log back into the database file from a thread of its own, once a
 * second, with a connection of its own. A checkpoint syncs the file to disk, which can take
 * milliseconds; done on the serving thread it would hold up every request waiting behind it.
 */
class SqliteCheckpointer final
{
public:
    /** Starts the thread and opens its connection to `path`; `started()` tells whether that worked. */
    explicit SqliteCheckpointer(const QString& path);
    SqliteCheckpointer(const SqliteCheckpointer&) = delete;
    SqliteCheckpointer& operator=(const SqliteCheckpointer&) = delete;
    /** Runs a last checkpoint, closes the connection and ends the thread. */
    ~SqliteCheckpointer();

    /** True when the thread's connection is open and checkpoints run. */
    [[nodiscard]] bool started() const { return m_started; }

private:
    QThread m_thread;
    QObject* m_worker = nullptr;
    bool m_started = false;
};

} // namespace quillora
