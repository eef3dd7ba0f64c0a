// The window's fill of a full archive (8192 events) in the order a read
// shows it, and the bare baseline: a 7-column QTableWidget given the same
// 57 344 texts with one setItem each, then sorted by date and time, latest
// first. The window's figure includes making its typed events from the
// decoded ones; the baseline gets its texts ready-made. Then the table's
// model filled with a history of a million events (123 reads), and the
// window showing it, with the memory they take per event. Run offscreen:
//   bench_fill --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

#include <ViewerTestSupport.h>

#include <archive_table/EventRows.h>
#include <EventTableModel.h>
#include <EventsView.h>

#include "HistoryOfReads.h"

#include <QApplication>
#include <QTableWidget>

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
        auto* table = window->findChild<EventsView*>(QStringLiteral("eventsView"));
        state.ResumeTiming();

        table->showListedEvents(archive_table::archiveEvents(events));

        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
    state.counters["rows"] = double(events.size());
}

// A site's history of a million events into the table's model; the memory
// is what the process has allocated more once the model has them (the events
// handed over included), per event, in the first run. With argument 1 every event brings texts of its
// own, as a store that reads them row by row may give them.
void millionEventModel(benchmark::State& state)
{
    std::vector<archive_table::ArchiveEvent> history =
        historyOfReads(archive_table::archiveEvents(archive().events), 123);
    if (state.range(0) == 1)
        for (archive_table::ArchiveEvent& event : history) {
            event.eventText = QString(event.eventText.constData(), event.eventText.size());
            event.sourceText = QString(event.sourceText.constData(), event.sourceText.size());
        }
    double perEvent = -1;
    for (auto _ : state) {
        state.PauseTiming();
        const std::size_t before = heapBytes();
        std::vector<archive_table::ArchiveEvent> events = history;
        auto model = std::make_unique<EventTableModel>();
        state.ResumeTiming();

        model->showOrderedEvents(std::move(events));

        state.PauseTiming();
        if (perEvent < 0)
            perEvent = double(heapBytes()) / double(history.size()) - double(before) / double(history.size());
        model.reset();
        state.ResumeTiming();
    }
    state.counters["rows"] = double(history.size());
    state.counters["bytesPerEvent"] = perEvent;
}

// The same history shown in the window, as opening a site's history ends:
// the table with its columns fitted, the timeline and the overview counted.
// The memory is what the window has allocated more per event, the events
// handed over included.
void millionEventWindow(benchmark::State& state)
{
    rs485::testing::FakeSerialPlatform line;
    const std::vector<archive_table::ArchiveEvent> history =
        historyOfReads(archive_table::archiveEvents(archive().events), 123);
    double perEvent = -1;
    for (auto _ : state) {
        state.PauseTiming();
        auto window = std::make_unique<TestMainWindow>(line);
        window->show();
        QApplication::processEvents();
        auto* table = window->findChild<EventsView*>(QStringLiteral("eventsView"));
        const std::size_t before = heapBytes();
        std::vector<archive_table::ArchiveEvent> events = history;
        state.ResumeTiming();

        table->showOrderedEvents(std::move(events));
        QApplication::processEvents();

        state.PauseTiming();
        if (perEvent < 0)
            perEvent = double(heapBytes()) / double(history.size()) - double(before) / double(history.size());
        window.reset();
        state.ResumeTiming();
    }
    state.counters["rows"] = double(history.size());
    state.counters["bytesPerEvent"] = perEvent;
}

} // namespace

BENCHMARK(bareTable)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(windowFill)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(millionEventModel)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(millionEventWindow)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

int main(int argc, char** argv)
{
    return runWindowBenchmarks(argc, argv, [] { archive(); });
}
