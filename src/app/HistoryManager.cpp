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
#include <QJsonDocument>
#include <QLockFile>
#include <QPointer>
#include <QRandomGenerator>

#include <algorithm>
#include <filesystem>

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

void logSaveFailure(const QString& reason)
{
    AppLogger::log(QStringLiteral("❌ Failed to save history: ") + reason, kLogFile);
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
}

HistoryManager::~HistoryManager() = default;

void HistoryManager::addEntry(const QString& originalText, const QList<PolishedResult>& results,
                              const std::optional<QString>& modelUsed, const std::optional<double>& responseTime)
{
    const HistoryItem item(originalText, results, modelUsed, responseTime);
    change([&item](QList<HistoryItem>& items) {
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

void HistoryManager::change(const std::function<void(QList<HistoryItem>&)>& apply)
{
    const std::optional<QString> path = historyURL();
    if (!path) {
        apply(m_items);
        Q_EMIT itemsChanged();
        return;
    }
    // The app and any number of command-line runs share the file: each change reads what the
    // others saved, applies itself and writes, all under one lock, so that no entry is lost.
    QLockFile lock(*path + kLockSuffix);
    lock.setStaleLockTime(kStaleLockMilliseconds);
    if (!lock.tryLock(kLockWaitMilliseconds)) {
        apply(m_items);
        Q_EMIT itemsChanged();
        saveFailed(QStringLiteral("another program has held the history file locked for too long"));
        return;
    }
    removeLeftoverTemporaries(*path);
    if (QFileInfo::exists(*path)) {
        readFile(*path);
    }
    apply(m_items);
    Q_EMIT itemsChanged();
    writeFile(*path);
}

void HistoryManager::saveHistory()
{
    const std::optional<QString> path = historyURL();
    if (!path) {
        return;
    }
    QLockFile lock(*path + kLockSuffix);
    lock.setStaleLockTime(kStaleLockMilliseconds);
    if (!lock.tryLock(kLockWaitMilliseconds)) {
        saveFailed(QStringLiteral("another program has held the history file locked for too long"));
        return;
    }
    removeLeftoverTemporaries(*path);
    writeFile(*path);
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
    setLastError(std::nullopt);
}

void HistoryManager::loadHistory()
{
    const std::optional<QString> path = historyURL();
    if (!path || !QFileInfo::exists(*path)) {
        return;
    }
    if (readFile(*path)) {
        Q_EMIT itemsChanged();
    }
}

bool HistoryManager::readFile(const QString& path)
{
    QFile file(path);
    QString failure;
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
    return true;
}

} // namespace quillora
