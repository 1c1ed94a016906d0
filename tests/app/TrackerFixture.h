#pragma once

#include "FakePanels.h"
#include "PolishingFixture.h"
#include "support/Drive.h"

#include "app/HistoryManager.h"
#include "app/PasteService.h"
#include "app/PrivacyGuard.h"
#include "app/SelectionTracker.h"
#include "capture/SelectedTextManager.h"

namespace quillora {

/**
 * A tracking `SelectionTracker` with fake panels on the simulated desktop, one simulated editor in
 * front, and the polishing backend of `PolishingFixture`.
 */
class TrackerFixture : public PolishingFixture
{
protected:
    void SetUp() override
    {
        PolishingFixture::SetUp();
        m_history = std::make_unique<HistoryManager>();
        m_paste = std::make_unique<PasteService>(desktop().pasteboard(), clock());
        m_app = &desktop().addApp(SimAppSetup{});
        m_privacy = std::make_unique<PrivacyGuard>(desktop().userDefaults(), desktop().workspace());
        m_tracker = makeTracker();
    }

    void TearDown() override
    {
        m_tracker.reset();
        m_privacy.reset();
        m_paste.reset();
        m_history.reset();
        PolishingFixture::TearDown();
    }

    std::unique_ptr<SelectionTracker> makeTracker()
    {
        return std::make_unique<SelectionTracker>(SelectionTracker::Services{
            m_panels, SelectedTextManager::shared(), *m_history, *m_paste, service(), m_privacy.get()});
    }

    /** Puts `text` into the editor, all of it selected. */
    void selectInEditor(const QString& text) { m_app->setText(text, AXRange{0, text.size()}); }

    /**
     * Lets a running selection check end: the wait, both toolkit reads, the copy poll and the
     * toolkit's script threads (the muted alert volume), stepping the virtual clock by 5 ms.
     */
    void settle()
    {
        advance(SelectionTracker::selectionDelay);
        ASSERT_TRUE(test::drive(clock(), [this] { return !tracker().isCheckingSelection(); }));
    }

    /** Drags from `from` to `to` and lets the check finish. */
    void dragAndSettle(QPointF from, QPointF to)
    {
        mouse().drag(from, to);
        settle();
    }

    /** Selects `text`, drags over it and activates the icon that appears. */
    void startSession(const QString& text = QStringLiteral("please polish this text"))
    {
        selectInEditor(text);
        dragAndSettle({100, 500}, {300, 500});
        ASSERT_TRUE(panels().icon->isOnScreen());
        panels().icon->activate();
    }

    /** Waits (real time, loopback I/O) until the polishing request has been answered. */
    bool waitForPolishing()
    {
        return test::waitUntil([this] { return !tracker().isPolishing(); });
    }

    SimMouse& mouse() { return desktop().mouseMonitor(); }
    SimApp& editor() { return *m_app; }
    SelectionTracker& tracker() { return *m_tracker; }
    /** Destroys the tracker, and with it both panels. */
    void destroyTracker() { m_tracker.reset(); }
    test::FakePanelFactory& panels() { return m_panels; }
    HistoryManager& history() { return *m_history; }

private:
    std::unique_ptr<HistoryManager> m_history;
    test::FakePanelFactory m_panels;
    std::unique_ptr<PasteService> m_paste;
    SimApp* m_app = nullptr;
    std::unique_ptr<PrivacyGuard> m_privacy;
    std::unique_ptr<SelectionTracker> m_tracker;
};

} // namespace quillora
