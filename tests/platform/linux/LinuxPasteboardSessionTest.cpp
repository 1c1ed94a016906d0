// The clipboard on the test desktop: saved items come back with every type, keep being served to
// other applications after the restore, and other applications' writes move the change count.
#include "DesktopDriver.h"
#include "DesktopSession.h"
#include "DesktopTestEnvironment.h"
#include "platform/linux/LinuxPasteboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <gtest/gtest.h>

namespace quillora::test {
namespace {

QByteArray readAs(DesktopSession& session, const QString& type)
{
    // xclip blocks while this process serves the selection, so it runs beside the event loop.
    QProcess reader;
    reader.setProcessEnvironment(session.environment());
    reader.start(QStringLiteral("xclip"), {QStringLiteral("-o"), QStringLiteral("-selection"),
                                           QStringLiteral("clipboard"), QStringLiteral("-t"), type});
    waitFor([&] { return reader.state() == QProcess::NotRunning; }, 5000);
    return reader.readAllStandardOutput();
}

TEST(LinuxPasteboardSessionTest, RestoredItemsKeepEveryTypeAndAreServedToOtherApplications)
{
    DesktopSession& session = DesktopTestEnvironment::session();
    LinuxPasteboard pasteboard;
    auto* original = new QMimeData;
    original->setText(QStringLiteral("plain words"));
    original->setHtml(QStringLiteral("<b>bold words</b>"));
    original->setData(QStringLiteral("application/x-quillora-test"), QByteArray("\x01\x02 binary", 9));
    QGuiApplication::clipboard()->setMimeData(original, QClipboard::Clipboard);
    ASSERT_EQ(readAs(session, QStringLiteral("text/html")), QByteArray("<b>bold words</b>"));

    const QList<PasteboardItem> saved = pasteboard.items();
    ASSERT_EQ(saved.size(), 1);
    pasteboard.clearContents();
    ASSERT_TRUE(pasteboard.setString(QStringLiteral("the variation")));
    EXPECT_EQ(readAs(session, QStringLiteral("UTF8_STRING")), QByteArray("the variation"));
    EXPECT_EQ(readAs(session, QStringLiteral("text/html")), QByteArray()) << "an old type outlived the write";

    pasteboard.clearContents();
    ASSERT_TRUE(pasteboard.writeItems(saved));
    const struct
    {
        const char* type;
        QByteArray data;
    } rows[] = {
        {"UTF8_STRING", "plain words"},
        {"text/plain", "plain words"},
        {"text/html", "<b>bold words</b>"},
        {"application/x-quillora-test", QByteArray("\x01\x02 binary", 9)},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(readAs(session, QString::fromLatin1(row.type)), row.data) << row.type;
    }

    // Another application's copy moves the count, seen through XFixes.
    const qint64 before = pasteboard.changeCount();
    QProcess* owner =
        session.launch(QStringLiteral("xclip"), {QStringLiteral("-selection"), QStringLiteral("clipboard"),
                                                 QStringLiteral("-i"), QStringLiteral("-quiet")});
    ASSERT_NE(owner, nullptr);
    owner->write("theirs");
    owner->closeWriteChannel();
    EXPECT_TRUE(waitFor([&] { return pasteboard.changeCount() > before; }, 5000));
    EXPECT_TRUE(waitFor([&] { return pasteboard.string() == QStringLiteral("theirs"); }, 5000));
}

} // namespace
} // namespace quillora::test
