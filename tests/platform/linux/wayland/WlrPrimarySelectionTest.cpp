#include "platform/linux/wayland/WlrPrimarySelection.h"
#include "platform/linux/wayland/PipeReader.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <thread>

#include <fcntl.h>
#include <unistd.h>

namespace quillora {
namespace {

TEST(WlrPrimarySelectionTest, TextIsReadInTheBestTextTypeOffered)
{
    const struct
    {
        QList<QByteArray> offered;
        std::optional<QByteArray> chosen;
    } rows[] = {
        {{"text/html", "text/plain", "UTF8_STRING", "text/plain;charset=utf-8"}, "text/plain;charset=utf-8"},
        {{"TEXT", "STRING", "UTF8_STRING", "text/plain"}, "UTF8_STRING"},
        {{"text/html", "text/plain"}, "text/plain"},
        {{"text/plain;charset=UTF-8"}, "text/plain;charset=UTF-8"},
        {{"image/png", "text/uri-list", "text/html"}, std::nullopt},
        {{}, std::nullopt},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(WlrPrimarySelection::preferredTextType(row.offered), row.chosen)
            << row.offered.join(' ').toStdString();
    }
}

struct Pipe
{
    Pipe() { EXPECT_EQ(pipe2(ends, O_CLOEXEC), 0); }
    ~Pipe()
    {
        closeWriter();
        close(ends[0]);
    }
    void closeWriter()
    {
        if (ends[1] >= 0) {
            close(ends[1]);
            ends[1] = -1;
        }
    }
    int ends[2] = {-1, -1};
};

TEST(WlrPrimarySelectionTest, APipeIsReadUntilItsWriterClosesIt)
{
    Pipe finished;
    ASSERT_EQ(write(finished.ends[1], "selected", 8), 8);
    finished.closeWriter();
    EXPECT_EQ(PipeReader::readToEnd(finished.ends[0], 1000), std::optional<QByteArray>("selected"));

    // More than the pipe holds at once, written while it is read.
    Pipe large;
    const QByteArray text(300 * 1024, 'x');
    std::thread writer([&large, &text] {
        qsizetype written = 0;
        while (written < text.size()) {
            const ssize_t count = write(large.ends[1], text.constData() + written, std::size_t(text.size() - written));
            if (count <= 0) {
                break;
            }
            written += count;
        }
        large.closeWriter();
    });
    const std::optional<QByteArray> read = PipeReader::readToEnd(large.ends[0], 10'000);
    writer.join();
    ASSERT_TRUE(read);
    EXPECT_EQ(read->size(), text.size());

    // A writer that keeps the pipe open gets no more time than given.
    Pipe open;
    ASSERT_EQ(write(open.ends[1], "partial", 7), 7);
    EXPECT_EQ(PipeReader::readToEnd(open.ends[0], 0), std::nullopt);
}

TEST(WlrPrimarySelectionTest, WithoutACompositorNothingIsEverRead)
{
    const QByteArray display = qgetenv("WAYLAND_DISPLAY");
    qputenv("WAYLAND_DISPLAY", "/nonexistent/quillora-no-such-display");
    WlrPrimarySelection selection;
    EXPECT_FALSE(selection.isAvailable());
    selection.beginGesture();
    EXPECT_EQ(selection.textChangedDuringGesture(), std::nullopt);
    qputenv("WAYLAND_DISPLAY", display);
    if (display.isNull()) {
        qunsetenv("WAYLAND_DISPLAY");
    }
}

} // namespace
} // namespace quillora
