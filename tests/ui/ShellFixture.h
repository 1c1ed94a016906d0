#pragma once

#include "app/AIPolishingService.h"
#include "app/AutostartEntry.h"
#include "app/BackendFixture.h"
#include "app/BackendSettings.h"
#include "app/HistoryManager.h"
#include "app/PasteService.h"
#include "app/PresetManager.h"
#include "app/PrivacyGuard.h"
#include "app/ResultActions.h"
#include "app/SelectionTracker.h"
#include "app/ShortcutManager.h"
#include "capture/AXManager.h"
#include "capture/AppleScriptManager.h"
#include "capture/PasteboardManager.h"
#include "capture/SelectedTextManager.h"
#include "ui/ShellServices.h"
#include "ui/WidgetPanelFactory.h"

#include <QAbstractButton>
#include <QWidget>

#include <memory>

namespace quillora {

/**
 * The services of the application's windows on the simulated desktop, with a scripted backend on
 * loopback (404 to everything until a test says otherwise, so the presets start as the built-ins).
 */
class ShellFixture : public BackendFixture
{
protected:
    void SetUp() override
    {
        BackendFixture::SetUp();
        m_textManager = std::make_unique<SelectedTextManager>(m_axManager, m_pasteboardManager, m_scriptManager);
        m_backendSettings = std::make_unique<BackendSettings>(desktop().userDefaults(), client());
        m_presets = std::make_unique<PresetManager>(client());
        test::awaitTask(m_presets->waitForInitialLoad());
        m_history = std::make_unique<HistoryManager>();
        m_pasteService = std::make_unique<PasteService>(desktop().pasteboard(), clock());
        m_cardActions = std::make_unique<ResultActions>(client(), desktop().pasteboard());
        m_panels = std::make_unique<WidgetPanelFactory>(*m_cardActions);
        m_autostart =
            std::make_unique<AutostartEntry>(AutostartEntry::userFolder(), QStringLiteral("/usr/bin/quillora"));
        m_privacy = std::make_unique<PrivacyGuard>(desktop().userDefaults(), desktop().workspace());
        makeTracker();
    }

    void TearDown() override
    {
        m_shortcuts.reset();
        m_tracker.reset();
        m_privacy.reset();
        m_autostart.reset();
        m_panels.reset();
        m_cardActions.reset();
        m_pasteService.reset();
        m_history.reset();
        m_presets.reset();
        m_backendSettings.reset();
        m_textManager.reset();
        BackendFixture::TearDown();
    }

    /** A fresh tracker over the same stores, as after a relaunch. */
    void makeTracker()
    {
        m_shortcuts.reset();
        m_tracker.reset();
        m_tracker = std::make_unique<SelectionTracker>(SelectionTracker::Services{
            *m_panels, *m_textManager, *m_history, *m_pasteService, AIPolishingService(client(), *m_presets),
            m_privacy.get()});
        m_shortcuts =
            std::make_unique<ShortcutManager>(desktop().globalShortcut(), desktop().userDefaults(), *m_tracker);
    }

    ShellServices services()
    {
        return ShellServices{*m_tracker,
                             *m_history,
                             *m_presets,
                             updates(),
                             *m_backendSettings,
                             *m_pasteService,
                             desktop().accessibility(),
                             desktop().workspace(),
                             desktop().pasteboard(),
                             clock(),
                             *m_autostart,
                             *m_shortcuts,
                             *m_privacy};
    }

    /** The child of `root` called `name`, failing the test when there is none. */
    template <typename T = QWidget> static T& find(const QWidget& root, const QString& name)
    {
        T* child = root.findChild<T*>(name);
        if (child == nullptr) {
            throw std::runtime_error("no child named " + name.toStdString());
        }
        return *child;
    }

    static void click(const QWidget& root, const QString& name) { find<QAbstractButton>(root, name).click(); }

    SelectionTracker& tracker() { return *m_tracker; }
    ShortcutManager& shortcuts() { return *m_shortcuts; }
    HistoryManager& history() { return *m_history; }
    PresetManager& presets() { return *m_presets; }
    BackendSettings& backendSettings() { return *m_backendSettings; }
    AutostartEntry& autostart() { return *m_autostart; }
    ResultActions& cardActions() { return *m_cardActions; }

private:
    AXManager m_axManager;
    PasteboardManager m_pasteboardManager;
    AppleScriptManager m_scriptManager;
    std::unique_ptr<SelectedTextManager> m_textManager;
    std::unique_ptr<BackendSettings> m_backendSettings;
    std::unique_ptr<PresetManager> m_presets;
    std::unique_ptr<HistoryManager> m_history;
    std::unique_ptr<PasteService> m_pasteService;
    std::unique_ptr<ResultActions> m_cardActions;
    std::unique_ptr<WidgetPanelFactory> m_panels;
    std::unique_ptr<AutostartEntry> m_autostart;
    std::unique_ptr<SelectionTracker> m_tracker;
    std::unique_ptr<ShortcutManager> m_shortcuts;
    std::unique_ptr<PrivacyGuard> m_privacy;
};

} // namespace quillora
