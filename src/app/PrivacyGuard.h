#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace quillora {

class UserDefaults;
class Workspace;

/**
 * What must never be read: the text of a password field, and anything in an application the user
 * excluded (password managers by default). Asked before every read of a selection, by the icon and
 * by the shortcut alike; the answer names the reason for the log and the panel, never the text.
 * Main thread.
 */
class PrivacyGuard final
{
public:
    /** The user-defaults key of the excluded applications: a text, names separated by commas. */
    static constexpr auto excludedApplicationsKey = "excludedApplications";

    PrivacyGuard(UserDefaults& defaults, Workspace& workspace);

    /** Application names and identifiers excluded when the user never chose: password managers. */
    [[nodiscard]] static QStringList defaultExcludedApplications();

    /** The excluded applications: the stored list, or the default one when none was ever stored. */
    [[nodiscard]] QStringList excludedApplications() const;
    /** Stores the excluded applications (empty entries and repeats are dropped). */
    void setExcludedApplications(const QStringList& applications);

    /**
     * Why the selection in the focused element must not be read now: it is a password field, or its
     * application is excluded; none when it may be read. Never fails: an element that cannot be
     * asked is not treated as secret.
     */
    [[nodiscard]] std::optional<QString> refusal() const;

    /**
     * True when one of the application's `names` (its name, identifier, executable) is on the
     * `excluded` list: compared without case, a reverse-domain identifier also by its last part.
     */
    [[nodiscard]] static bool isExcluded(const QStringList& excluded, const QStringList& names);

private:
    UserDefaults& m_defaults;
    Workspace& m_workspace;
};

} // namespace quillora
