#include "app/HistoryManager.h"

#include "app/AppLogger.h"
#include "core/Clock.h"
#include "core/JsonCoding.h"
#include "platform/AppDataFolder.h"
#include "platform/Platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QJsonDocument>
#include <QLockFile>
#include <QPointer>
#include <QRandomGenerator>

#include <algorithm>
#include <filesystem>
#include <utility>

#include <sys/stat.h>

namespace quillora {

namespace {

const QString kLogFile = QStringLiteral("quillora/HistoryManager");
const QString kFolderName = QStringLiteral("com.tessel.quillora");
const QString kFileName = QStringLiteral("history.json");
const QString kCorruptSuffix = QStringLiteral(".corrupt-");
const QString kLockSuffix = QStringLiteral(".lock");
const QString kTemporarySuffix = QStringLiteral(".tmp");
constexpr int kLockWaitMilliseconds = 5000;
constexpr int kStaleLockMilliseconds = 30'000;

const QString kHeldLock = QStringLiteral("another program has held the history file locked for too long");

void logSaveFailure(const QString& reason)
{
    AppLogger::log(QStringLiteral("❌ Failed to save history: ") + reason, kLogFile);
}

// Why a lock that is not held by anyone could not be taken: the folder is missing or read-only,
// or the lock file itself cannot be made.
QString lockFailure(const QString& lockPath)
{
    const QFileInfo lock(lockPath);
    const QFileInfo folder(lock.absolutePath());
    if (!folder.isDir()) {
        return QStringLiteral("the history folder %1 does not exist and could not be made").arg(folder.filePath());
    }
    if (!folder.isWritable()) {
        return QStringLiteral("the history folder %1 is read-only").arg(folder.filePath());
    }
    return QStringLiteral("the lock file %1 could not be created").arg(lock.filePath());
}

// Writes `content` to a temporary file beside `path` and renames it over `path`, so that a crash
// or a full disk in the middle leaves the previous file whole instead of a truncated one. There is
// no flush to the disk: it would block the main thread for milliseconds on every polishing, and the
// rename alone already protects the file against everything short of a power cut. Returns why the
// write failed; none on success.
std::optional<QString> replaceFile(const QString& path, const QByteArray& content)
{
    // A named file rather than an anonymous temporary one: linking an anonymous file into place
    // makes the rename below several times slower on ext4.
    const QString temporaryPath =
        path + QStringLiteral(".%1").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')) +
        kTemporarySuffix;
    QFile temporary(temporaryPath);
    // Created readable by its owner only: it holds every text the user polished.
    if (!temporary.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFile::ReadOwner | QFile::WriteOwner)) {
        return temporary.errorString();
    }
    // flush() reports a short write (a full disk), which write() alone would hide in its buffer.
    const qint64 written = temporary.write(content);
    if (written != content.size() || !temporary.flush()) {
        const QString reason = temporary.error() != QFileDevice::NoError
                                   ? temporary.errorString()
                                   : QStringLiteral("only %1 of %2 bytes could be written")
                                         .arg(std::max<qint64>(written, 0))
                                         .arg(content.size());
        // By path: removing through the open file would first retry the failed flush, and give up.
        QFile::remove(temporaryPath);
        return reason;
    }
    temporary.close();
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(temporaryPath).toStdString(), QFile::encodeName(path).toStdString(),
                            error);
    if (error) {
        QFile::remove(temporaryPath);
        return QString::fromStdString(error.message());
    }
    return std::nullopt;
}

// Temporary files beside the history that a killed process left behind. Called under the lock,
// when no other process can be writing one.
void removeLeftoverTemporaries(const QString& path)
{
    const QFileInfo history(path);
    const QStringList leftovers =
        history.dir().entryList({history.fileName() + QStringLiteral(".*") + kTemporarySuffix}, QDir::Files);
    for (const QString& leftover : leftovers) {
        QFile::remove(history.dir().filePath(leftover));
    }
}

} // namespace

HistoryManager::HistoryManager(QObject* parent)
    : QObject(parent)
{
    loadHistory();
    watchFile();
}

HistoryManager::~HistoryManager()
{
    m_retry.invalidate();
    // What still waits for the lock is not dropped with the program.
    if (!m_pending.isEmpty() || m_saveRequested) {
        finishPendingSave();
    }
}

std::optional<QString> HistoryManager::notice() const
{
    if (m_waitingForLock) {
        return QStringLiteral("Saving the history waits: another program holds the history file locked. "
                              "The newest changes are kept and saved as soon as it lets go.");
    }
    return m_asideNotice;
}

void HistoryManager::addEntry(const QString& originalText, const QList<PolishedResult>& results,
                              const std::optional<QString>& modelUsed, const std::optional<double>& responseTime)
{
    // Kept by value: a change waiting for the lock is applied again after this call returned.
    const HistoryItem item(originalText, results, modelUsed, responseTime);
    change([item](QList<HistoryItem>& items) {
        items.prepend(item);
        if (items.size() > maximumItems) {
            items.removeLast();
        }
    });
}

void HistoryManager::clearHistory()
{
    change([](QList<HistoryItem>& items) { items.clear(); });
}

std::optional<QString> HistoryManager::historyURL() const
{
    const QString base = Platform::current().appDataFolder().path();
    if (base.isEmpty()) {
        return std::nullopt;
    }
    const QString folder = QDir(base).filePath(kFolderName);
    if (!QFileInfo::exists(folder) && QDir().mkpath(folder)) {
        // The folder holds every text the user polished: only its owner may look inside.
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    return QDir(folder).filePath(kFileName);
}

void HistoryManager::change(Change apply)
{
    apply(m_items);
    Q_EMIT itemsChanged();
    if (!historyURL()) {
        return;
    }
    m_pending.append(std::move(apply));
    if (!m_waitingForLock) {
        savePending(0);
    }
}

void HistoryManager::saveHistory()
{
    if (!historyURL()) {
        return;
    }
    m_saveRequested = true;
    if (!m_waitingForLock) {
        savePending(0);
    }
}

void HistoryManager::finishPendingSave()
{
    if (m_pending.isEmpty() && !m_saveRequested) {
        return;
    }
    m_retry.invalidate();
    if (!savePending(kLockWaitMilliseconds)) {
        m_retry.invalidate();
        saveFailed(kHeldLock);
    }
}

// The app and any number of command-line runs share the file: each save reads what the others
// saved, applies the changes that wait and writes, all under one lock, so that no entry is lost.
// The main thread never waits here: a held lock leaves the changes waiting and a timer tries
// again. Returns false only while the lock is held by another program.
bool HistoryManager::savePending(int waitMilliseconds)
{
    const std::optional<QString> path = historyURL();
    if (!path) {
        m_pending.clear();
        m_saveRequested = false;
        setWaitingForLock(false);
        return true;
    }
    QLockFile lock(*path + kLockSuffix);
    lock.setStaleLockTime(kStaleLockMilliseconds);
    if (!lock.tryLock(waitMilliseconds)) {
        if (lock.error() == QLockFile::LockFailedError) {
            if (!m_waitingForLock) {
                AppLogger::log(QStringLiteral("⏳ The history file is locked by another program; saving later"),
                               kLogFile);
            }
            setWaitingForLock(true);
            scheduleRetry();
            return false;
        }
        // Not held by anyone: waiting would not help. The changes stay in the list in memory.
        m_pending.clear();
        m_saveRequested = false;
        setWaitingForLock(false);
        saveFailed(lockFailure(lock.fileName()));
        return true;
    }
    removeLeftoverTemporaries(*path);
    if (!m_pending.isEmpty()) {
        const QList<Change> pending = std::exchange(m_pending, {});
        if (QFileInfo::exists(*path) && readFile(*path)) {
            for (const Change& apply : pending) {
                apply(m_items);
            }
            Q_EMIT itemsChanged();
        }
    }
    m_saveRequested = false;
    writeFile(*path);
    setWaitingForLock(false);
    return true;
}

void HistoryManager::setWaitingForLock(bool waiting)
{
    if (waiting != m_waitingForLock) {
        m_waitingForLock = waiting;
        Q_EMIT noticeChanged();
    }
}

void HistoryManager::scheduleRetry()
{
    m_retry.invalidate();
    m_retry = Platform::current().clock().singleShot(lockRetryInterval, this, [this] { savePending(0); });
}

void HistoryManager::writeFile(const QString& path)
{
    if (m_fileUnreadable && !keepUnreadableFileAside(path)) {
        return;
    }
    if (const std::optional<QString> failure = replaceFile(path, encodeHistory(m_items))) {
        saveFailed(*failure);
        return;
    }
    m_stamp = fileStamp();
    setLastError(std::nullopt);
}

void HistoryManager::loadHistory()
{
    const std::optional<QString> path = historyURL();
    if (!path || !QFileInfo::exists(*path)) {
        return;
    }
    if (readFile(*path)) {
        for (const Change& apply : m_pending) {
            apply(m_items);
        }
        Q_EMIT itemsChanged();
    }
}

// The folder is watched rather than the file: every save replaces the file by a rename, which
// ends a watch on the file itself.
void HistoryManager::watchFile()
{
    const std::optional<QString> path = historyURL();
    if (!path) {
        return;
    }
    m_watcher = new QFileSystemWatcher(this);
    if (!m_watcher->addPath(QFileInfo(*path).absolutePath())) {
        AppLogger::log(QStringLiteral("⚠️ The history folder cannot be watched; other programs' entries appear "
                                      "at the next start"),
                       kLogFile);
        return;
    }
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &HistoryManager::fileChanged);
}

void HistoryManager::fileChanged()
{
    // The lock file and temporary files come and go in the folder too; only a new history file
    // (another identity, size or time than the one last read or written) is read.
    const QByteArray stamp = fileStamp();
    if (stamp.isEmpty() || stamp == m_stamp) {
        return;
    }
    loadHistory();
}

QByteArray HistoryManager::fileStamp() const
{
    const std::optional<QString> path = historyURL();
    struct stat info = {};
    if (!path || ::stat(QFile::encodeName(*path).constData(), &info) != 0) {
        return {};
    }
    return QByteArray::number(quint64(info.st_ino)) + ':' + QByteArray::number(qint64(info.st_size)) + ':' +
           QByteArray::number(qint64(info.st_mtim.tv_sec)) + '.' + QByteArray::number(qint64(info.st_mtim.tv_nsec));
}

bool HistoryManager::readFile(const QString& path)
{
    QFile file(path);
    QString failure;
    m_stamp = fileStamp();
    if (!file.open(QIODevice::ReadOnly)) {
        failure = file.errorString();
    } else {
        try {
            m_items = decodeHistory(file.readAll());
            m_fileUnreadable = false;
            setLastError(std::nullopt);
            return true;
        } catch (const Error& error) {
            failure = error.localizedDescription();
        }
    }
    AppLogger::log(QStringLiteral("❌ Failed to load history: ") + failure, kLogFile);
    m_fileUnreadable = true;
    setLastError(QStringLiteral("The history could not be read: ") + failure);
    return false;
}

void HistoryManager::saveFailed(const QString& reason)
{
    logSaveFailure(reason);
    setLastError(QStringLiteral("The history could not be saved: ") + reason);
}

void HistoryManager::setLastError(std::optional<QString> error)
{
    if (error == m_lastError) {
        return;
    }
    m_lastError = std::move(error);
    Q_EMIT lastErrorChanged();
}

void HistoryManager::setAsideNotice(std::optional<QString> notice)
{
    if (notice == m_asideNotice) {
        return;
    }
    m_asideNotice = std::move(notice);
    Q_EMIT noticeChanged();
}

QByteArray HistoryManager::encodeHistory(const QList<HistoryItem>& items)
{
    return QJsonDocument(JsonCoding::encodeArray(items)).toJson(QJsonDocument::Compact);
}

QList<HistoryItem> HistoryManager::decodeHistory(const QByteArray& content)
{
    return JsonCoding::decodeArray<HistoryItem>(JsonCoding::parse(content));
}

// The next save replaces the file that could not be read; a copy of it is kept first, named by
// the time, so that what the user had is never destroyed without a copy, and a second unreadable
// file never overwrites the copy of the first.
bool HistoryManager::keepUnreadableFileAside(const QString& path)
{
    if (!QFileInfo::exists(path)) {
        m_fileUnreadable = false;
        return true;
    }
    const QString stamp =
        Platform::current().clock().wallNow().toLocalTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = path + kCorruptSuffix + stamp;
    for (int attempt = 2; QFileInfo::exists(aside); ++attempt) {
        aside = path + kCorruptSuffix + stamp + QStringLiteral("-%1").arg(attempt);
    }
    QFile original(path);
    if (!original.copy(aside)) {
        saveFailed(QStringLiteral("the unreadable history file could not be kept aside as %1: %2")
                       .arg(aside, original.errorString()));
        return false;
    }
    QFile::setPermissions(aside, QFile::ReadOwner | QFile::WriteOwner);
    m_fileUnreadable = false;
    setAsideNotice(QStringLiteral("The history file could not be read; it was kept aside as %1 and a new history "
                                  "started.")
                       .arg(QFileInfo(aside).fileName()));
    return true;
}

} // namespace quillora
