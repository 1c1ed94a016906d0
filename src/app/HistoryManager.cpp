#include "app/HistoryManager.h"

#include "app/AppLogger.h"
#include "core/JsonCoding.h"
#include "platform/AppDataFolder.h"
#include "platform/Platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QPointer>
#include <QRandomGenerator>

#include <algorithm>
#include <filesystem>

namespace quillora {

namespace {

const QString kLogFile = QStringLiteral("quillora/HistoryManager");
const QString kFolderName = QStringLiteral("com.tessel.quillora");
const QString kFileName = QStringLiteral("history.json");
const QString kCorruptSuffix = QStringLiteral(".corrupt");

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
        path + QStringLiteral(".%1.tmp").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
    QFile temporary(temporaryPath);
    if (!temporary.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
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
    m_items.prepend(HistoryItem(originalText, results, modelUsed, responseTime));
    if (m_items.size() > maximumItems) {
        m_items.removeLast();
    }
    Q_EMIT itemsChanged();
    saveHistory();
}

void HistoryManager::clearHistory()
{
    m_items.clear();
    Q_EMIT itemsChanged();
    saveHistory();
}

std::optional<QString> HistoryManager::historyURL() const
{
    const QString base = Platform::current().appDataFolder().path();
    if (base.isEmpty()) {
        return std::nullopt;
    }
    const QString folder = QDir(base).filePath(kFolderName);
    if (!QFileInfo::exists(folder)) {
        QDir().mkpath(folder);
    }
    return QDir(folder).filePath(kFileName);
}

void HistoryManager::saveHistory()
{
    const std::optional<QString> path = historyURL();
    if (!path) {
        return;
    }
    if (m_fileUnreadable && !keepUnreadableFileAside(*path)) {
        return;
    }
    if (const std::optional<QString> failure = replaceFile(*path, encodeHistory(m_items))) {
        logSaveFailure(*failure);
    }
}

void HistoryManager::loadHistory()
{
    const std::optional<QString> path = historyURL();
    if (!path || !QFileInfo::exists(*path)) {
        return;
    }
    QFile file(*path);
    if (!file.open(QIODevice::ReadOnly)) {
        AppLogger::log(QStringLiteral("❌ Failed to load history: ") + file.errorString(), kLogFile);
        m_fileUnreadable = true;
        return;
    }
    try {
        m_items = decodeHistory(file.readAll());
        m_fileUnreadable = false;
        Q_EMIT itemsChanged();
    } catch (const Error& error) {
        AppLogger::log(QStringLiteral("❌ Failed to load history: ") + error.localizedDescription(), kLogFile);
        m_fileUnreadable = true;
    }
}

QByteArray HistoryManager::encodeHistory(const QList<HistoryItem>& items)
{
    return QJsonDocument(JsonCoding::encodeArray(items)).toJson(QJsonDocument::Compact);
}

QList<HistoryItem> HistoryManager::decodeHistory(const QByteArray& content)
{
    return JsonCoding::decodeArray<HistoryItem>(JsonCoding::parse(content));
}

// The next save replaces the file that could not be read; a copy of it is kept first, once, so
// that what the user had is never destroyed without a copy.
bool HistoryManager::keepUnreadableFileAside(const QString& path)
{
    if (!QFileInfo::exists(path)) {
        m_fileUnreadable = false;
        return true;
    }
    const QString aside = path + kCorruptSuffix;
    QFile::remove(aside);
    QFile original(path);
    if (!original.copy(aside)) {
        logSaveFailure(QStringLiteral("the unreadable history file could not be kept aside as %1: %2")
                           .arg(aside, original.errorString()));
        return false;
    }
    m_fileUnreadable = false;
    return true;
}

} // namespace quillora
