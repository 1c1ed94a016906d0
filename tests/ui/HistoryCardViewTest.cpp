#include "ui/HistoryCardView.h"
#include "support/SimDesktopTest.h"
#include "ui/ElidedLabel.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QLabel>
#include <QLayout>
#include <QScrollArea>

#include <gtest/gtest.h>

namespace quillora {
namespace {

using HistoryCardViewTest = SimDesktopTest;

HistoryItem item(const QString& original, const QString& variation, const QString& model)
{
    return HistoryItem(QUuid::createUuid(), original, {PolishedResult(QStringLiteral("Casual"), variation)},
                       QDateTime::fromSecsSinceEpoch(1'700'000'000), model, 1.25);
}

// The card in a scrolling list of the history window's narrowest width, as the window holds it.
struct ListOf
{
    explicit ListOf(const HistoryItem& entry)
        : card(new HistoryCardView(entry, {[](const QString&) {}, [](const QString&) {}}))
    {
        list.setWidgetResizable(true);
        list.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        list.setWidget(card);
        list.resize(480, 600);
        list.show();
        QCoreApplication::sendPostedEvents();
        card->layout()->activate();
    }

    QScrollArea list;
    HistoryCardView* card;
};

TEST_F(HistoryCardViewTest, ALongModelNameOrWordIsCutSoThatTheCardAndItsButtonsStayInsideTheWindow)
{
    const QString model = QStringLiteral("an-extraordinarily-verbose-model-identifier-that-someone-deployed-with-its-"
                                         "whole-build-description-and-quantisation-settings-in-the-name-v2.1-q4_K_M");
    // An address of a few hundred characters has no place to break either.
    const QString address = QStringLiteral("https://example.org/") + QString(300, u'x');
    ListOf shown(item(address, address, model));
    HistoryCardView& card = *shown.card;
    const int room = shown.list.viewport()->width();
    EXPECT_LE(card.minimumSizeHint().width(), room);
    EXPECT_LE(card.width(), room);
    for (const char* name : {"paste-result-btn", "copy-result-btn", "copy-original-btn"}) {
        const auto* button = card.findChild<QAbstractButton*>(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr) << name;
        const QRect inList(button->mapTo(shown.list.viewport(), QPoint(0, 0)), button->size());
        EXPECT_TRUE(QRect(QPoint(0, 0), QSize(room, 100000)).contains(inList)) << name << " is out of reach";
    }
    const auto* label = card.findChild<ElidedLabel*>(QStringLiteral("model-name"));
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(label->shownText().endsWith(QStringLiteral("…")));
    EXPECT_EQ(label->toolTip(), model);
    EXPECT_EQ(label->accessibleDescription(), model);
    const auto* badge = card.findChild<QWidget*>(QStringLiteral("model-badge"));
    EXPECT_EQ(badge->accessibleDescription(), model + QStringLiteral(" • 1.25s"));
}

TEST_F(HistoryCardViewTest, ALongEntryLaysOutOnlyItsStartUntilShownInFull)
{
    QString huge;
    while (huge.size() < 900'000) {
        huge += QStringLiteral("Ahoy, the quick brown fox jumps over the lazy dog once more, matey.\n");
    }
    ListOf shown(item(huge, huge, QStringLiteral("rules")));
    HistoryCardView& card = *shown.card;
    // The work the layout does follows the characters it is given and the height it reaches.
    qsizetype laidOut = 0;
    for (const QLabel* label : card.findChildren<QLabel*>()) {
        laidOut += label->text().size();
    }
    EXPECT_LT(laidOut, 3000);
    EXPECT_LT(card.heightForWidth(shown.list.viewport()->width()), 800);
    EXPECT_LT(card.sizeHint().height(), 800);
    EXPECT_NE(card.findChild<QAbstractButton*>(QStringLiteral("show-all-btn")), nullptr);

    // A short entry shows whole, without the button.
    ListOf brief(item(QStringLiteral("hi"), QStringLiteral("Hi."), QStringLiteral("rules")));
    EXPECT_EQ(brief.card->findChild<QAbstractButton*>(QStringLiteral("show-all-btn")), nullptr);
}

} // namespace
} // namespace quillora
