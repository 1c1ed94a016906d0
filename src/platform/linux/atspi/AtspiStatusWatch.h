#pragma once

#include <QObject>
#include <QStringList>
#include <QVariantMap>

#include <optional>

class QDBusServiceWatcher;

namespace quillora {

/**
 * Keeps the session's accessibility switch ("IsEnabled" of "org.a11y.Status") known without asking
 * for it: the launcher announces every change with PropertiesChanged, and its leaving the session
 * bus makes the value unknown again. Reading the value never waits on another process.
 */
class AtspiStatusWatch final : public QObject
{
    Q_OBJECT

public:
    explicit AtspiStatusWatch(QObject* parent = nullptr);
    ~AtspiStatusWatch() override;

    /** The switch as last announced or recorded; none while the launcher's state is unknown. */
    [[nodiscard]] std::optional<bool> isEnabled() const { return m_enabled; }

    /** Records a value read directly from the launcher. */
    void record(bool enabled) { m_enabled = enabled; }

private Q_SLOTS:
    void propertiesChanged(const QString& interface, const QVariantMap& changed, const QStringList& invalidated);

private:
    QDBusServiceWatcher* m_launcher = nullptr;
    std::optional<bool> m_enabled;
};

} // namespace quillora
