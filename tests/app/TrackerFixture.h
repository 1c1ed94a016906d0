#pragma once

#include "BackendFixture.h"
#include "FakePanels.h"
#include "capture/Drive.h"

#include "app/AIPolishingService.h"
#include "app/HistoryManager.h"
#include "app/PasteService.h"
#include "app/PresetManager.h"
#include "app/SelectionTracker.h"
#include "capture/SelectedTextManager.h"

#include <QJsonArray>

namespace quillora {

/**
 * A tracking `SelectionTracker` with fake panels on the simulated desktop, one simulated editor in
 * front, and a scripted backend that knows the presets "Professional" and "Casual" and answers
 * "/polish" with whatever the test sets (by default the two variations "Dear team" and "hey all").
 */
class TrackerFixture : public BackendFixture
{
protected:
    void SetUp() override
    {
        BackendFixture::SetUp();
        m_polish = polishReply({{QStringLiteral("Professional"), QStringLiteral("Dear team")},
                                {QStringLiteral("Casual"), QStringLiteral("hey all")}});
        server().setHandler([this](const Request& request) -> std::optional<Reply> {
            if (request.target == "/api/v1/presets") {
                return Reply::json(
                    200, QJsonArray{preset(1, QStringLiteral("Professional")), preset(2, QStringLiteral("Casual"))});
            }
            if (request.target == "/api/v1/polish") {
                return m_polish;
            }
            return Reply::json(201, QJsonObject());
        });
        m_presets = std::make_unique<PresetManager>(client());
        test::awaitTask(m_presets->waitForInitialLoad());
        m_history = std::make_unique<HistoryManager>();
        m_paste = std::make_unique<PasteService>(desktop().pasteboard(), clock());
        m_app = &desktop().addApp(SimAppSpec{});
        m_tracker = makeTracker();
    }

    void TearDown() override
    {
        m_tracker.reset();
        m_paste.reset();
        m_history.reset();
        m_presets.reset();
        BackendFixture::TearDown();
    }

    std::unique_ptr<SelectionTracker> makeTracker()
    {
        return std::make_unique<SelectionTracker>(SelectionTracker::Services{
            m_panels, SelectedTextManager::shared(), *m_history, *m_paste, AIPolishingService(client(), *m_presets)});
    }

    static QJsonObject preset(qint64 id, const QString& name)
    {
        return QJsonObject{
            {QStringLiteral("id"), id}, {QStringLiteral("name"), name}, {QStringLiteral("instruction"), name}};
    }

    /** A "/polish" answer with these variations, model "quill-1", 1.5 s and log id 7. */
    static Reply polishReply(const QList<QPair<QString, QString>>& variations)
    {
        QJsonObject results;
        for (const auto& [name, text] : variations) {
            results.insert(name, text);
        }
        return Reply::json(200, QJsonObject{{QStringLiteral("log_id"), 7},
                                            {QStringLiteral("results"), results},
                                            {QStringLiteral("model"), QStringLiteral("quill-1")},
                                            {QStringLiteral("duration"), 1.5}});
    }

    /** Answers "/polish" with `reply`, or holds it for `server().releaseHeld` when none. */
    void answerPolish(std::optional<Reply> reply) { m_polish = std::move(reply); }

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
    std::optional<Reply> m_polish;
    std::unique_ptr<PresetManager> m_presets;
    std::unique_ptr<HistoryManager> m_history;
    test::FakePanelFactory m_panels;
    std::unique_ptr<PasteService> m_paste;
    SimApp* m_app = nullptr;
    std::unique_ptr<SelectionTracker> m_tracker;
};

} // namespace quillora
