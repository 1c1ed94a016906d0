#include "server/store/SqliteCheckpointer.h"

#include <QMetaObject>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTimer>

#include <atomic>

namespace quillora {

namespace {

constexpr int kIntervalMs = 1000;

/** Lives on the checkpoint thread; owns that thread's connection. */
class CheckpointWorker final : public QObject
{
public:
    explicit CheckpointWorker(QString path)
        : m_path(std::move(path))
    {
        static std::atomic<int> counter{0};
        m_connectionName = QStringLiteral("quillora-checkpoint-%1").arg(++counter);
    }

    bool open()
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
        database.setDatabaseName(m_path);
        database.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        if (!database.open()) {
            return false;
        }
        m_timer = new QTimer(this);
        m_timer->setInterval(kIntervalMs);
        connect(m_timer, &QTimer::timeout, this, &CheckpointWorker::checkpoint);
        m_timer->start();
        return true;
    }

    void checkpoint()
    {
        // PASSIVE never waits for readers or the writer; what it cannot copy now, it copies next time.
        QSqlQuery query(QSqlDatabase::database(m_connectionName, false));
        query.exec(QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)"));
    }

    void close()
    {
        delete m_timer;
        m_timer = nullptr;
        if (QSqlDatabase::contains(m_connectionName)) {
            checkpoint();
            QSqlDatabase::database(m_connectionName, false).close();
            QSqlDatabase::removeDatabase(m_connectionName);
        }
    }

private:
    QString m_path;
    QString m_connectionName;
    QTimer* m_timer = nullptr;
};

} // namespace

SqliteCheckpointer::SqliteCheckpointer(const QString& path)
{
    auto* worker = new CheckpointWorker(path);
    worker->moveToThread(&m_thread);
    QObject::connect(&m_thread, &QThread::finished, worker, &QObject::deleteLater);
    m_worker = worker;
    m_thread.setObjectName(QStringLiteral("sqlite-checkpoint"));
    m_thread.start();
    QMetaObject::invokeMethod(
        worker, [worker] { return worker->open(); }, Qt::BlockingQueuedConnection, &m_started);
}

SqliteCheckpointer::~SqliteCheckpointer()
{
    auto* worker = static_cast<CheckpointWorker*>(m_worker);
    QMetaObject::invokeMethod(
        worker, [worker] { worker->close(); }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

} // namespace quillora
