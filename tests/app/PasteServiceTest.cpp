#include "app/PasteService.h"

#include "keys/Key.h"
#include "keys/Modifier.h"
#include "support/SimDesktopTest.h"

namespace quillora {
namespace {

using PasteServiceTest = SimDesktopTest;

TEST_F(PasteServiceTest, ReplacesThePasteboardAndSendsCommandVATenthOfASecondLaterUnlessTheWriteIsRefused)
{
    desktop().pasteboard().setItems({PasteboardItem{{{QStringLiteral("public.png"), QByteArray("image")}}}});
    PasteService service(desktop().pasteboard(), clock());

    service.paste(QStringLiteral("chosen variation"));
    EXPECT_EQ(desktop().pasteboard().items().size(), 1);
    EXPECT_EQ(desktop().pasteboard().string(), QStringLiteral("chosen variation"));
    advance(0.099);
    EXPECT_TRUE(desktop().keyEventSink().events().isEmpty());
    advance(0.001);
    const quint64 command = Modifier(Modifier::command).eventFlag();
    EXPECT_EQ(desktop().keyEventSink().events(),
              (QList<PostedKeyEvent>{{Key(Key::v).rawValue(), true, command, std::nullopt},
                                     {Key(Key::v).rawValue(), false, command, std::nullopt}}));

    desktop().keyEventSink().clear();
    desktop().pasteboard().setRefusesWrites(true);
    service.paste(QStringLiteral("another variation"));
    advance(1);
    EXPECT_TRUE(desktop().keyEventSink().events().isEmpty());
}

TEST_F(PasteServiceTest, EveryTypeTheUserHadComesBackAfterThePasteUnlessSomethingNewerWasCopiedOrItIsTurnedOff)
{
    SimApp& app = desktop().addApp(
        SimAppSetup{QStringLiteral("Editor"), std::nullopt, QStringLiteral("hello world"), AXRange{0, 5}, true});
    const QList<PasteboardItem> theirs = {
        PasteboardItem{{{QStringLiteral("public.png"), QByteArray("image")},
                        {QStringLiteral("text/uri-list"), QByteArray("file:///home/user/a.txt")}}}};
    desktop().pasteboard().setItems(theirs);
    PasteService service(desktop().pasteboard(), clock());

    EXPECT_EQ(service.paste(QStringLiteral("howdy")), PasteOutcome::pasted);
    advance(PasteService::pasteDelay);
    EXPECT_EQ(app.text(), QStringLiteral("howdy world"));
    advance(PasteService::restoreDelay);
    EXPECT_EQ(desktop().pasteboard().items(), theirs);

    // Copied by the user between the paste and the restore: theirs now, kept.
    app.select(AXRange{0, 5});
    service.paste(QStringLiteral("hi"));
    advance(PasteService::pasteDelay);
    desktop().pasteboard().clearContents();
    ASSERT_TRUE(desktop().pasteboard().setString(QStringLiteral("newer copy")));
    advance(PasteService::restoreDelay);
    EXPECT_EQ(desktop().pasteboard().string(), QStringLiteral("newer copy"));

    desktop().userDefaults().set(QLatin1String(PasteService::restoreClipboardKey), false);
    desktop().pasteboard().setItems(theirs);
    service.paste(QStringLiteral("kept"));
    advance(1);
    EXPECT_EQ(desktop().pasteboard().string(), QStringLiteral("kept"));
}

} // namespace
} // namespace quillora
