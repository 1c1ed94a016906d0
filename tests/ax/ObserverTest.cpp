#include "ax/Observer.h"
#include "WarningCapture.h"
#include "ax/Application.h"
#include "platform/sim/SimObserver.h"
#include "support/SimDesktopTest.h"
#include "support/Thrown.h"

#include <QCoreApplication>
#include <QThread>

namespace quillora {
namespace {

constexpr qint64 kPid = 60;

struct Delivery
{
    UIElement element;
    AXNotification notification;
    QThread* thread;
};

class ObserverTest : public SimDesktopTest
{
protected:
    void SetUp() override
    {
        SimDesktopTest::SetUp();
        m_root = ax().addApplication(kPid);
        m_field = m_root.child(QStringLiteral("AXTextField"));
    }

    SimAccessibility& ax() { return desktop().accessibility(); }
    UIElement field() const { return UIElement(m_field.ref()); }
    UIElement root() const { return UIElement(m_root.ref()); }

    std::unique_ptr<Observer> makeObserver()
    {
        return std::make_unique<Observer>(kPid,
                                          [this](Observer&, const UIElement& element, AXNotification notification) {
                                              m_deliveries.push_back({element, notification, QThread::currentThread()});
                                          });
    }

    void post(const QString& name, const std::optional<AXDictionary>& info = std::nullopt)
    {
        ax().postNotification(m_field, name, info);
    }

    static void runEventLoop() { QCoreApplication::sendPostedEvents(); }

    SimElement m_root{nullptr};
    SimElement m_field{nullptr};
    std::vector<Delivery> m_deliveries;
};

TEST_F(ObserverTest, DeliversOnTheEventLoopOfItsThreadOnlyWhatItSubscribedToWithItsInformationAndLogsUnknownNames)
{
    test::WarningCapture warnings;
    auto observer = makeObserver();
    observer->addNotification(QStringLiteral("AXCustomThingHappened"), field());
    observer->addNotification(AXNotification::valueChanged, field());
    observer->addNotification(AXNotification::focusedUIElementChanged, root());

    post(QStringLiteral("AXCustomThingHappened"));
    post(QStringLiteral("AXValueChanged"));
    post(QStringLiteral("AXFocusedUIElementChanged"));
    post(QStringLiteral("AXTitleChanged"));
    EXPECT_TRUE(m_deliveries.empty());
    runEventLoop();

    EXPECT_EQ(warnings.lines(), QStringList{QStringLiteral("Unknown AX notification AXCustomThingHappened received")});

    ASSERT_EQ(m_deliveries.size(), 2U);
    EXPECT_EQ(m_deliveries[0].notification, AXNotification::valueChanged);
    EXPECT_EQ(m_deliveries[0].element, field());
    EXPECT_EQ(m_deliveries[0].thread, QThread::currentThread());
    EXPECT_EQ(m_deliveries[1].notification, AXNotification::focusedUIElementChanged);
    EXPECT_EQ(m_deliveries[1].element, field());

    // A callback that takes the information receives the notification's dictionary.
    const AXDictionary announcement{{QStringLiteral("AXAnnouncement"), AXAny("Saved")}};
    std::optional<AXDictionary> info;
    Observer withInfo(
        kPid, [&](Observer& self, const UIElement&, AXNotification, const std::optional<AXDictionary>& received) {
            EXPECT_EQ(self.pid(), kPid);
            info = received;
        });
    withInfo.addNotification(AXNotification::announcementRequested, field());
    post(QStringLiteral("AXAnnouncementRequested"), announcement);
    runEventLoop();
    EXPECT_EQ(info, announcement);
    EXPECT_EQ(withInfo.application(), root());
    EXPECT_EQ(m_deliveries.size(), 2U);
}

TEST_F(ObserverTest, AddingAndRemovingAreIdempotentAndFailuresAreThrown)
{
    auto observer = makeObserver();
    const auto sim = ax().observers(kPid).front();
    const std::pair<std::function<void()>, int> steps[] = {
        {[&] { observer->addNotification(AXNotification::valueChanged, field()); }, 1},
        {[&] { observer->addNotification(AXNotification::valueChanged, field()); }, 1},
        {[&] { observer->addNotification(AXNotification::titleChanged, field()); }, 2},
        {[&] { observer->removeNotification(AXNotification::valueChanged, field()); }, 1},
        {[&] { observer->removeNotification(AXNotification::valueChanged, field()); }, 1},
        {[&] { observer->removeNotification(AXNotification::moved, root()); }, 1},
    };
    for (const auto& [step, subscriptions] : steps) {
        EXPECT_NO_THROW(step());
        EXPECT_EQ(sim->subscriptionCount(), subscriptions);
    }

    m_field.failAll(AXResult::CannotComplete);
    EXPECT_THROW(observer->addNotification(AXNotification::valueChanged, field()), AXError);
    EXPECT_THROW(observer->removeNotification(AXNotification::titleChanged, field()), AXError);
    const auto invalid = test::thrown<AXError>([] { Observer(0, [](Observer&, const UIElement&, AXNotification) {}); });
    ASSERT_TRUE(invalid) << "created an observer for process 0";
    EXPECT_EQ(invalid->code(), AXResult::IllegalArgument);
}

TEST_F(ObserverTest, StoppedOrReleasedObserversDeliverNothing)
{
    auto observer = makeObserver();
    observer->addNotification(AXNotification::valueChanged, field());

    observer->stop();
    post(QStringLiteral("AXValueChanged"));
    runEventLoop();
    EXPECT_TRUE(m_deliveries.empty());

    observer->start();
    post(QStringLiteral("AXValueChanged"));
    observer.reset();
    runEventLoop();
    EXPECT_TRUE(m_deliveries.empty());
    EXPECT_TRUE(ax().observers(kPid).isEmpty());
}

} // namespace
} // namespace quillora
