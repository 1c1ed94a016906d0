#include "ui/ResultCard.h"
#include "OfflineCardActions.h"
#include "app/AIPolishingService.h"
#include "platform/UserDefaults.h"
#include "support/SimDesktopTest.h"
#include "ui/FloatingResultsWindow.h"
#include "ui/FullTextDialog.h"
#include "ui/PolishedResultsView.h"
#include "ui/PresetEditorView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

namespace quillora {
namespace {

// Card actions whose reports fail at once: the reports themselves are the polishing loop's to check.
class ResultCardTest : public SimDesktopTest
{
protected:
    void SetUp() override
    {
        SimDesktopTest::SetUp();
        cardActions = std::make_unique<test::OfflineCardActions>(desktop());
        window = std::make_unique<FloatingResultsWindow>(cardActions->actions);
        window->setOnSelect([this](const QString& text) {
            selected.append(text);
            visibleWhenSelected = window->isOnScreen();
        });
        window->showAt(QPointF(500, 500));
        window->setContent({PolishedResult(QStringLiteral("Professional"), QStringLiteral("Dear team,"), 41),
                            PolishedResult(QStringLiteral("Casual"), QStringLiteral("hey all"))},
                           false, std::nullopt);
    }

    void TearDown() override
    {
        EXPECT_EQ(cardActions->actions.reportsInFlight(), 0) << "an offline report ends at once";
        window.reset();
        cardActions.reset();
        SimDesktopTest::TearDown();
    }

    [[nodiscard]] ResultCard& card(qsizetype index) const { return *window->resultsView().cards().at(index); }

    std::unique_ptr<test::OfflineCardActions> cardActions;
    std::unique_ptr<FloatingResultsWindow> window;
    QStringList selected;
    bool visibleWhenSelected = false;
};

TEST_F(ResultCardTest, CopiedMarkClearsOneAndAHalfSecondsAfterTheFirstPressAndUseHandsTheTextOnBeforeHiding)
{
    desktop().pasteboard().setItems({PasteboardItem{{{QStringLiteral("public.png"), QByteArray("png")}}}});
    card(0).copyButton().click();
    EXPECT_EQ(desktop().pasteboard().items().size(), 1) << "the earlier content is cleared";
    EXPECT_TRUE(selected.isEmpty());
    advance(1.49);
    EXPECT_TRUE(card(0).isCopied());
    advance(0.01);
    EXPECT_FALSE(card(0).isCopied());

    card(0).copyButton().click();
    advance(1.0);
    card(0).copyButton().click();
    EXPECT_TRUE(card(0).isCopied());
    advance(0.5);
    EXPECT_FALSE(card(0).isCopied()) << "the first press's reset still fires";
    advance(1.0);
    EXPECT_FALSE(card(0).isCopied());

    // New content rebuilds the cards without their marks.
    card(0).copyButton().click();
    window->setContent({PolishedResult(QStringLiteral("Professional"), QStringLiteral("Dear team,"), 41)}, false,
                       std::nullopt);
    EXPECT_FALSE(card(0).isCopied());

    desktop().pasteboard().setRefusesWrites(true);
    card(0).copyButton().click();
    EXPECT_FALSE(card(0).isCopied()) << "a refused copy shows no mark";

    desktop().pasteboard().setRefusesWrites(false);
    card(0).useButton().click();
    EXPECT_EQ(selected, QStringList{QStringLiteral("Dear team,")});
    EXPECT_TRUE(visibleWhenSelected) << "the paste is started while the window is still up";
    EXPECT_FALSE(window->isOnScreen());
}

TEST_F(ResultCardTest, AVeryLongVariationIsClippedToABoundedCardWithTheWholeTextOnDemand)
{
    // 900 KB of text in lines, as an upstream model that ran away once answered.
    QString huge;
    while (huge.size() < 900'000) {
        huge += QStringLiteral("The quick brown fox jumps over the lazy dog again and again.\n");
    }
    PolishedResult longOne(QStringLiteral("Pirate"), huge);
    longOne.correctionsOnly = true;
    longOne.note = QStringLiteral("The text does not look like English, so the offline engine left it unchanged.");
    window->setOriginalText(QStringLiteral("hello"));
    window->setContent({longOne, PolishedResult(QStringLiteral("Casual"), QStringLiteral("hey all"))}, false,
                       std::nullopt);
    ResultCard& clipped = card(0);
    EXPECT_TRUE(clipped.isClipped());
    EXPECT_FALSE(card(1).isClipped());
    EXPECT_EQ(card(1).showAllButton(), nullptr);
    EXPECT_LT(clipped.contentLabel().text().size(), 2000) << "only the start is laid out";
    EXPECT_LT(clipped.heightForWidth(288), 600);
    clipped.showChanges(QStringLiteral("hello"));
    EXPECT_LT(clipped.contentLabel().text().size(), 2000) << "no marks over the whole text";

    QStringList quiet;
    for (const QLabel* line : clipped.quietLines()) {
        quiet.append(line->text());
    }
    EXPECT_EQ(quiet,
              (QStringList{QStringLiteral("corrections only: this preset needs a language model"), *longOne.note}));
    EXPECT_TRUE(card(1).quietLines().isEmpty());

    ASSERT_NE(clipped.showAllButton(), nullptr);
    clipped.showAllButton()->click();
    FullTextDialog* full = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<FullTextDialog*>(widget)) {
            full = dialog;
        }
    }
    ASSERT_NE(full, nullptr);
    EXPECT_EQ(full->view().toPlainText(), huge);
    EXPECT_FALSE(full->isActiveWindow()) << "the application the text came from keeps the focus";
    delete full;

    // The preset editor says the engine cannot follow instructions once an answer said so.
    EXPECT_EQ(PresetEditorView(std::nullopt, {}).findChild<QLabel*>(QStringLiteral("preset-engine-note")), nullptr);
    desktop().userDefaults().set(QLatin1String(AIPolishingService::followsInstructionsKey), false);
    const PresetEditorView editor(std::nullopt, {});
    const auto* engineNote = editor.findChild<QLabel*>(QStringLiteral("preset-engine-note"));
    ASSERT_NE(engineNote, nullptr);
    EXPECT_EQ(engineNote->text(), PresetEditorView::engineNoteText);
}

} // namespace
} // namespace quillora
