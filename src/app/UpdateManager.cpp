#include "app/UpdateManager.h"

#include "app/AppInfo.h"
#include "core/Clock.h"
#include "platform/Platform.h"
#include "platform/UserDefaults.h"

#include <QCoreApplication>
#include <QPointer>

namespace quillora {

namespace {

const QString kLastNotifiedVersionKey = QStringLiteral("lastNotifiedVersion");
const QString kLastUpdateCheckDateKey = QStringLiteral("lastUpdateCheckDate");

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// The run of digits starting at `index`, without its leading zeros; `index` moves past the run.
QStringView digitRun(QStringView text, qsizetype& index)
{
    const qsizetype start = index;
    while (index < text.size() && isAsciiDigit(text[index])) {
        ++index;
    }
    QStringView run = text.mid(start, index - start);
    while (!run.isEmpty() && run.front() == u'0') {
        run = run.mid(1);
    }
    return run;
}

int sign(qsizetype value)
{
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

} // namespace

UpdateManager::UpdateManager(UserDefaults& userDefaults, QString runningVersion, QObject* parent)
    : QObject(parent)
    , m_userDefaults(userDefaults)
    , m_runningVersion(AppInfo::versionOrDefault(runningVersion))
{
}

void UpdateManager::notify(const QString& version, const QUrl& url)
{
    // Always queued, also from the manager's own thread, so observers see the change from the event
    // loop and never in the middle of the caller's work.
    QMetaObject::invokeMethod(
        this,
        [this, version, url] {
            m_latestVersion = version;
            Q_EMIT latestVersionChanged();
            m_updateURL = url;
            Q_EMIT updateURLChanged();
        },
        Qt::QueuedConnection);
}

bool UpdateManager::shouldShowBanner() const
{
    if (!m_latestVersion || compareVersions(*m_latestVersion, m_runningVersion) <= 0) {
        return false;
    }
    const QString dismissedVersion = m_userDefaults.string(kLastNotifiedVersionKey);
    if (dismissedVersion.isNull() || dismissedVersion != *m_latestVersion) {
        return true;
    }
    const QDateTime dismissedAt = m_userDefaults.date(kLastUpdateCheckDateKey);
    if (!dismissedAt.isValid()) {
        return true;
    }
    const QDateTime now = Platform::current().clock().wallNow();
    return dismissedAt.toLocalTime().date() != now.toLocalTime().date();
}

void UpdateManager::dismiss()
{
    if (!m_latestVersion) {
        return;
    }
    m_userDefaults.set(kLastNotifiedVersionKey, *m_latestVersion);
    m_userDefaults.set(kLastUpdateCheckDateKey, Platform::current().clock().wallNow());
    m_latestVersion.reset();
    Q_EMIT latestVersionChanged();
    m_updateURL.reset();
    Q_EMIT updateURLChanged();
}

int UpdateManager::compareVersions(QStringView left, QStringView right)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < left.size() && j < right.size()) {
        if (isAsciiDigit(left[i]) && isAsciiDigit(right[j])) {
            const QStringView leftRun = digitRun(left, i);
            const QStringView rightRun = digitRun(right, j);
            // Without leading zeros, a longer run is a larger number; equal lengths compare digit by digit.
            if (leftRun.size() != rightRun.size()) {
                return sign(leftRun.size() - rightRun.size());
            }
            if (const int order = leftRun.compare(rightRun); order != 0) {
                return sign(order);
            }
            continue;
        }
        if (left[i] != right[j]) {
            return left[i] < right[j] ? -1 : 1;
        }
        ++i;
        ++j;
    }
    return sign((left.size() - i) - (right.size() - j));
}

} // namespace quillora
