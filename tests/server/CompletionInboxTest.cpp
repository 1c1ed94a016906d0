// Work finished on other threads comes back to the owner thread in bounded batches.
#include "server/CompletionInbox.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>

namespace quillora {
namespace {

TEST(CompletionInboxTest, ABurstRunsOnTheOwnerThreadABatchPerPassAndDrainRunsTheRest)
{
    CompletionInbox inbox(32);
    QThread* owner = QThread::currentThread();
    int ran = 0;
    bool onOwner = true;
    std::unique_ptr<QThread> worker(QThread::create([&] {
        for (int i = 0; i < 100; ++i) {
            inbox.post([&] {
                onOwner = onOwner && QThread::currentThread() == owner;
                ++ran;
            });
        }
    }));
    worker->start();
    worker->wait();
    EXPECT_EQ(ran, 0);

    // Each pass of the loop runs one batch; the rest waits for the next pass.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    EXPECT_EQ(ran, 32);
    // A health check's answer goes ahead of the finished jobs still waiting.
    int ranBeforeUrgent = -1;
    inbox.post([&] { ranBeforeUrgent = ran; }, true);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    EXPECT_EQ(ranBeforeUrgent, 32);
    EXPECT_EQ(ran, 63);

    // Draining runs the rest at once, with what the completions post themselves.
    inbox.post([&] { inbox.post([&] { ran += 1000; }); });
    inbox.drain();
    EXPECT_EQ(ran, 1100);
    EXPECT_TRUE(onOwner);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    EXPECT_EQ(ran, 1100);
}

} // namespace
} // namespace quillora
