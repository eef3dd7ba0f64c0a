// The timeline strip over a full archive (8192 events): counting the rows
// into bars, which the window does at every change of the rows shown, and
// painting the bars, which it does at every repaint. Run offscreen:
//   bench_timeline --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

#include <ViewerTestSupport.h>

#include <TimelineStrip.h>
#include <archive_table/EventRows.h>
#include <archive_table/EventSpan.h>

#include <QApplication>
#include <QImage>

#include "BenchmarkMain.h"

#include <benchmark/benchmark.h>

namespace {

// The strip as wide as a full-screen window.
constexpr int stripWidth = 1900;

const std::vector<archive_table::ArchiveEvent>& archiveRows()
{
    static const std::vector<archive_table::ArchiveEvent> rows = [] {
        config_quorvel::Configuration configuration;
        const auto events = readPanel(panel_sim::buildPanel(fullArchivePanel()), configuration);
        return archive_table::eventsAsShownAfterRead(archive_table::archiveEvents(events));
    }();
    return rows;
}

// The same rows spread over ten years, so that the strip draws weeks: the
// most bars it draws.
const std::vector<archive_table::ArchiveEvent>& decadeRows()
{
    static const std::vector<archive_table::ArchiveEvent> rows = [] {
        std::vector<archive_table::ArchiveEvent> spread = archiveRows();
        const QDateTime start(QDate(2014, 1, 1), QTime(0, 0), Qt::UTC);
        const qint64 step = qint64(10) * 365 * 86400 / qint64(spread.size());
        for (std::size_t i = 0; i < spread.size(); ++i) {
            const QDateTime at = start.addSecs(qint64(i) * step);
            spread[i].time = archive_table::PanelTime::fromCalendar(at.date(), at.time().hour(), at.time().minute(),
                                                                    at.time().second());
        }
        return spread;
    }();
    return rows;
}

void count(benchmark::State& state, const std::vector<archive_table::ArchiveEvent>& rows)
{
    TimelineStrip strip;
    for (auto _ : state)
        strip.showEvents(rows);
    state.counters["bars"] = double(strip.timeline().periodCount());
}

void paint(benchmark::State& state, const std::vector<archive_table::ArchiveEvent>& rows)
{
    TimelineStrip strip;
    strip.resize(stripWidth, strip.sizeHint().height());
    strip.showEvents(rows);
    QImage image(strip.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state)
        strip.render(&image);
    state.counters["bars"] = double(strip.timeline().periodCount());
}

void countArchive(benchmark::State& state) { count(state, archiveRows()); }
void countDecade(benchmark::State& state) { count(state, decadeRows()); }
void paintArchive(benchmark::State& state) { paint(state, archiveRows()); }
void paintDecade(benchmark::State& state) { paint(state, decadeRows()); }

} // namespace

BENCHMARK(countArchive)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(countDecade)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(paintArchive)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(paintDecade)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    return runWindowBenchmarks(argc, argv);
}
