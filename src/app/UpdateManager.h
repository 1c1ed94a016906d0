#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

#include <optional>

namespace quillora {

class UserDefaults;

/**
 * Keeps the newest application version the backend announced and decides whether the user should
 * be told. A version is shown only while it is newer than the running one; once the user puts it
 * off ("Later"), that version stays hidden for the rest of the local calendar day. Main thread,
 * except `notify`, which any thread may call.
 */
class UpdateManager final : public QObject
{
    Q_OBJECT

public:
    /** A manager with nothing announced that remembers dismissals in `userDefaults`. */
    explicit UpdateManager(UserDefaults& userDefaults, QString runningVersion, QObject* parent = nullptr);

    /** The announced version not yet dismissed; none when there is none. */
    [[nodiscard]] const std::optional<QString>& latestVersion() const { return m_latestVersion; }

    /** The download page that came with the announcement. */
    [[nodiscard]] const std::optional<QUrl>& updateURL() const { return m_updateURL; }

    /**
     * Records an announcement. Safe from any thread: the assignment is queued to the manager's
     * thread and happens on its next pass of the event loop. No comparison is made here.
     */
    void notify(const QString& version, const QUrl& url);

    /**
     * True when an announced version is newer than the running one (digit runs compare by value,
     * so 1.10 is newer than 1.9) and the user has not put that same version off earlier today.
     */
    [[nodiscard]] bool shouldShowBanner() const;

    /** Puts the announced version off for the rest of today and clears the announcement. */
    void dismiss();

    /** Orders two version texts: runs of digits by numeric value, other characters one by one. */
    [[nodiscard]] static int compareVersions(QStringView left, QStringView right);

Q_SIGNALS:
    void latestVersionChanged();
    void updateURLChanged();

private:
    UserDefaults& m_userDefaults;
    QString m_runningVersion;
    std::optional<QString> m_latestVersion;
    std::optional<QUrl> m_updateURL;
};

} // namespace quillora
