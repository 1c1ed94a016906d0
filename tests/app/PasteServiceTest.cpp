#include "app/PasteService.h"

#include "keys/Key.h"
#include "support/SimDesktopTest.h"

namespace quillora {
namespace {

using PasteServiceTest = SimDesktopTest;

TEST_F(PasteServiceTest, ReplacesThePasteboardAndSendsThePasteShortcutATenthOfASecondLater)
{
    desktop().pasteboard().setItems({PasteboardItem{{{QStringLiteral("public.png"), QByteArray("image")}}}});

    PasteService(desktop().pasteboard(), clock()).paste(QStringLiteral("chosen variation"));

    EXPECT_EQ(desktop().pasteboard().items().size(), 1);
    EXPECT_EQ(desktop().pasteboard().string(), QStringLiteral("chosen variation"));
    EXPECT_TRUE(desktop().keyEventSink().events().isEmpty());
    advance(0.1);
    ASSERT_EQ(desktop().keyEventSink().events().size(), 2);
    EXPECT_EQ(desktop().keyEventSink().events().first().virtualKey, Key(Key::v).rawValue());
    EXPECT_FALSE(desktop().keyEventSink().events().first().targetPid);
}

TEST_F(PasteServiceTest, RefusedPasteboardWriteSendsNoShortcut)
{
    desktop().pasteboard().setRefusesWrites(true);

    PasteService(desktop().pasteboard(), clock()).paste(QStringLiteral("chosen variation"));
    advance(1);

    EXPECT_TRUE(desktop().keyEventSink().events().isEmpty());
}

} // namespace
} // namespace quillora
