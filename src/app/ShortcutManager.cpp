#include "app/ShortcutManager.h"

#include "app/AppLogger.h"
#include "app/SelectionTracker.h"
#include "core/Detached.h"
#include "platform/UserDefaults.h"

namespace quillora {

namespace {

const QString kLogFile = QStringLiteral("ShortcutManager.cpp");

} // namespace

ShortcutManager::ShortcutManager(GlobalShortcut* shortcut, UserDefaults& defaults, SelectionTracker& tracker,
                                 QObject* parent)
    : QObject(parent)
    , m_shortcut(shortcut)
    , m_defaults(defaults)
    , m_tracker(tracker)
{
    if (m_shortcut == nullptr) {
        m_binding = {ShortcutBinding::Status::unsupported,
                     QStringLiteral("this desktop lets no program bind a shortcut; bind `quillora --polish-selection` "
                                    "in the desktop's keyboard settings instead")};
        return;
    }
    m_shortcut->setHandler([this] {
        AppLogger::log(QStringLiteral("⌨️ Shortcut pressed"), kLogFile);
        m_tracker.polishCurrentSelection();
    });
    connect(&m_tracker, &SelectionTracker::isTrackingChanged, this, &ShortcutManager::refresh);
    refresh();
}

ShortcutManager::~ShortcutManager()
{
    if (m_shortcut != nullptr) {
        m_shortcut->setHandler({});
        // A grab outlives nothing: the desktop gets the combination back.
        if (m_applied && !m_applied->isEmpty()) {
            runDetached(m_shortcut->bind(QString()));
        }
    }
}

QString ShortcutManager::combination() const
{
    const QString key = QLatin1String(combinationKey);
    return m_defaults.contains(key) ? m_defaults.string(key) : QString::fromLatin1(defaultCombination);
}

void ShortcutManager::setCombination(const QString& combination)
{
    m_defaults.set(QLatin1String(combinationKey), combination);
    refresh();
}

void ShortcutManager::refresh()
{
    // One binding at a time: a change made meanwhile is picked up when the running one ends.
    if (m_shortcut != nullptr && !m_bindRunning) {
        runDetached(bindWanted());
    }
}

QCoro::Task<> ShortcutManager::bindWanted()
{
    const LifetimeGuard::Watch alive = m_lifetime.watch();
    m_bindRunning = true;
    for (;;) {
        const QString wanted = m_tracker.isTracking() ? combination() : QString();
        if (m_applied == wanted) {
            break;
        }
        m_applied = wanted;
        const ShortcutBinding binding = co_await m_shortcut->bind(wanted);
        if (!alive) {
            co_return;
        }
        if (binding.status == ShortcutBinding::Status::bound) {
            AppLogger::log(QStringLiteral("⌨️ Shortcut %1 bound: %2").arg(wanted, binding.detail), kLogFile);
        } else if (binding.status != ShortcutBinding::Status::unbound) {
            AppLogger::log(QStringLiteral("⚠️ Shortcut %1 not bound: %2").arg(wanted, binding.detail), kLogFile);
        }
        // While paused the binding is released, but the settings still show the chosen one's fate.
        if (!wanted.isEmpty() || combination().isEmpty()) {
            m_binding = binding;
            Q_EMIT bindingChanged();
        }
    }
    m_bindRunning = false;
}

} // namespace quillora
