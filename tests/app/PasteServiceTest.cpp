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

} // namespace
} // namespace quillora
