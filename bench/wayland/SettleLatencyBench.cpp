// How soon the icon follows a selection where presses cannot be watched: the time from the moment
// a selection has stayed unchanged for the settle time to the icon being shown, as the desktop
// program itself logs it ("Icon shown … ms after the selection settled"), over repeated drags in
// the GTK 3 editor running natively on the compositor. Prints the median and the 95th percentile;
// nothing is asserted about the times.
#include "WaylandLoopFixture.h"

#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace quillora::test {
namespace {

constexpr int kDrags = 40;

/** Every settle-to-icon time the program has logged so far, in milliseconds. */
std::vector<double> loggedLatencies(const QString& logPath)
{
    QFile log(logPath);
    std::vector<double> latencies;
    if (!log.open(QIODevice::ReadOnly)) {
        return latencies;
    }
    static const QRegularExpression line(QStringLiteral("Icon shown ([0-9.]+) ms after the selection settled"));
    QRegularExpressionMatchIterator matches = line.globalMatch(QString::fromUtf8(log.readAll()));
    while (matches.hasNext()) {
        latencies.push_back(matches.next().captured(1).toDouble());
    }
    return latencies;
}

double percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(fraction * double(values.size() - 1) + 0.5);
    return values[index];
}

using SettleLatencyBench = WaylandLoopFixture;

TEST_F(SettleLatencyBench, IconAfterTheSelectionSettles)
{
    const std::optional<Editor> editor = startEditor(Toolkit::Gtk3);
    ASSERT_TRUE(editor);
    const QString logPath = session().scratchPath() + QStringLiteral("/quillora.log");
    const std::size_t before = loggedLatencies(logPath).size();
    const std::optional<TextSpan> firstCharacter = spanOf(*editor, 0, 1);
    ASSERT_TRUE(firstCharacter);
    for (int drag = 0; drag < kDrags; ++drag) {
        // A drag that starts inside a selection would move the text: the last one is let go first,
        // and the icon with it once that settles (the same selection again would keep it).
        ASSERT_TRUE(click(firstCharacter->from));
        pause(600);
        ASSERT_TRUE(selectSecondLine(*editor));
        ASSERT_TRUE(waitFor([&] { return loggedLatencies(logPath).size() > before + std::size_t(drag); }, 5000))
            << "no icon after drag " << drag;
    }
    std::vector<double> latencies = loggedLatencies(logPath);
    latencies.erase(latencies.begin(), latencies.begin() + std::ptrdiff_t(before));
    std::printf("%s: settled selection -> icon shown over %zu drags: p50 %.2f ms, p95 %.2f ms, max %.2f ms\n",
                qPrintable(compositor().name()), latencies.size(), percentile(latencies, 0.5),
                percentile(latencies, 0.95), *std::max_element(latencies.begin(), latencies.end()));
    stopEditor(*editor);
}

} // namespace
} // namespace quillora::test
