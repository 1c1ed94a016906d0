#include "platform/linux/atspi/AtspiStatusWatch.h"

#include <QDBusConnection>
#include <QDBusServiceWatcher>

namespace quillora {

namespace {

const QString kLauncher = QStringLiteral("org.a11y.Bus");
const QString kPath = QStringLiteral("/org/a11y/bus");
const QString kStatus = QStringLiteral("org.a11y.Status");
const QString kIsEnabled = QStringLiteral("IsEnabled");

} // namespace

AtspiStatusWatch::AtspiStatusWatch(QObject* parent)
    : QObject(parent)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return;
    }
    bus.connect(kLauncher, kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                QStringLiteral("PropertiesChanged"), this, SLOT(propertiesChanged(QString, QVariantMap, QStringList)));
    // A launcher that leaves (or a new one that comes) takes its state along.
    m_launcher = new QDBusServiceWatcher(kLauncher, bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(m_launcher, &QDBusServiceWatcher::serviceOwnerChanged, this, [this] { m_enabled.reset(); });
}

AtspiStatusWatch::~AtspiStatusWatch() = default;

void AtspiStatusWatch::propertiesChanged(const QString& interface, const QVariantMap& changed,
                                         const QStringList& invalidated)
{
    if (interface != kStatus) {
        return;
    }
    if (const auto it = changed.constFind(kIsEnabled); it != changed.cend()) {
        m_enabled = it->toBool();
    } else if (invalidated.contains(kIsEnabled)) {
        m_enabled.reset();
    }
}

} // namespace quillora
