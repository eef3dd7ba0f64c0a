// The window's fill of a full archive (8192 events) followed by its sort,
// and the bare baseline: a 7-column QTableWidget given the same 57 344
// texts with one setItem each, then sorted by date and time, latest first.
// The window's figure includes computing the texts from the events; the
// baseline gets them ready-made. Run offscreen:
//   bench_fill --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

#include <ViewerTestSupport.h>

#include <archive_table/EventRows.h>
#include <EventsViewWidget.h>

#include <QApplication>

#include "BenchmarkMain.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

struct Archive {
    config_quorvel::Configuration configuration;
    std::vector<config_quorvel::Event> events;
    std::vector<archive_table::RowTexts> texts;

    Archive()
    {
        events = readPanel(panel_sim::buildPanel(fullArchivePanel()), configuration);
        for (const config_quorvel::Event& event : events)
            texts.push_back(archive_table::eventRowTexts(event));
    }
};

const Archive& archive()
{
    static const Archive instance;
    return instance;
}

void bareTable(benchmark::State& state)
{
    const std::vector<archive_table::RowTexts>& texts = archive().texts;
    for (auto _ : state) {
        state.PauseTiming();
        auto table = std::make_unique<QTableWidget>();
        table->setColumnCount(archive_table::columnCount);
        state.ResumeTiming();

        table->setRowCount(int(texts.size()));
        for (int row = 0; row < int(texts.size()); ++row)
            for (int column = 0; column < archive_table::columnCount; ++column)
                table->setItem(row, column, new QTableWidgetItem(texts[std::size_t(row)][column]));
        table->sortByColumn(archive_table::dateTimeColumn, Qt::DescendingOrder);

        state.PauseTiming();
        table.reset();
        state.ResumeTiming();
    }
    state.counters["rows"] = double(texts.size());
}

void windowFill(benchmark::State& state)
{
    rs485::testing::FakeSerialPlatform line;
    const std::vector<config_quorvel::Event>& events = archive().events;
    for (auto _ : state) {
        state.PauseTiming();
        auto window = std::make_unique<TestMainWindow>(line);
        auto* table = window->findChild<EventsViewWidget*>(QStringLiteral("eventsView"));
        state.ResumeTiming();

        table->showEvents(events);

        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
    state.counters["rows"] = double(events.size());
}

// For comparison: the fill row by row, each event inserted at the top.
void rowByRowFill(benchmark::State& state)
{
    const std::vector<config_quorvel::Event>& events = archive().events;
    for (auto _ : state) {
        state.PauseTiming();
        auto table = std::make_unique<EventsViewWidget>();
        state.ResumeTiming();

        for (const config_quorvel::Event& event : events)
            table->addEvent(event);
        table->sortByColumn(archive_table::dateTimeColumn, Qt::DescendingOrder);

        state.PauseTiming();
        table.reset();
        state.ResumeTiming();
    }
}

} // namespace

BENCHMARK(bareTable)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(windowFill)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(rowByRowFill)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

int main(int argc, char** argv)
{
    return runWindowBenchmarks(argc, argv, [] { archive(); });
}
