// The timeline strip over a full archive (8192 events): counting the rows
// into bars, which the window does at every change of the rows shown, and
// painting the bars, which it does at every repaint. Then a site's history
// of a million events with one from a clock that had lost power: counting
// it (the bulk found, the rest counted outside) and a zoom into it. Run
// offscreen:
//   bench_timeline --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

#include <ViewerTestSupport.h>

#include <TimelineStrip.h>
#include <archive_table/EventRows.h>
#include <archive_table/EventSpan.h>

#include <QApplication>
#include <QImage>

#include "BenchmarkMain.h"
#include "HistoryOfReads.h"

#include <benchmark/benchmark.h>

namespace {

// The strip as wide as a full-screen window.
constexpr int stripWidth = 1900;

const std::vector<archive_table::ArchiveEvent>& readEvents()
{
    static const std::vector<archive_table::ArchiveEvent> events = [] {
        config_quorvel::Configuration configuration;
        return archive_table::archiveEvents(readPanel(panel_sim::buildPanel(fullArchivePanel()), configuration));
    }();
    return events;
}

const std::vector<archive_table::ArchiveEvent>& archiveRows()
{
    static const std::vector<archive_table::ArchiveEvent> rows = archive_table::eventsAsShownAfterRead(readEvents());
    return rows;
}

// 123 reads four weeks apart, about nine years; one event of the middle
// read dated 2011.
const std::vector<archive_table::ArchiveEvent>& millionRows()
{
    static const std::vector<archive_table::ArchiveEvent> rows = [] {
        std::vector<archive_table::ArchiveEvent> history = historyOfReads(readEvents(), 123);
        history[history.size() / 2].time = archive_table::PanelTime::fromCalendar(QDate(2011, 1, 1), 0, 0, 12);
        return history;
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
    state.counters["outside"] = double(strip.timeline().outside());
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

// Half the hours around the middle bar, counted from the hours of the bulk.
void zoomMillion(benchmark::State& state)
{
    const archive_table::Timeline all(millionRows());
    const archive_table::Timeline::View half = all.zoomedIn(all.periodCount() / 2);
    archive_table::Timeline zoomed;
    for (auto _ : state)
        benchmark::DoNotOptimize(zoomed = all.over(half));
    state.counters["bars"] = double(zoomed.periodCount());
}

void countArchive(benchmark::State& state) { count(state, archiveRows()); }
void countDecade(benchmark::State& state) { count(state, decadeRows()); }
void countMillion(benchmark::State& state) { count(state, millionRows()); }
void paintArchive(benchmark::State& state) { paint(state, archiveRows()); }
void paintDecade(benchmark::State& state) { paint(state, decadeRows()); }

} // namespace

BENCHMARK(countArchive)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(countDecade)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(countMillion)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(zoomMillion)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(paintArchive)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(paintDecade)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    return runWindowBenchmarks(argc, argv);
}
