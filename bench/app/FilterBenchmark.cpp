// A change of the filter as the window makes it: the filter bar's field
// changes, the table keeps the rows the filter keeps, the status line counts
// them, the timeline and the device overview count the rows shown, and the
// pending repaint runs. Over a full read (8192 events) and over a site's
// history of a million events (123 such reads). Each iteration switches
// between no filter and the given one, so every change touches the rows it
// hides. Run offscreen:
//   bench_filter --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

#include <ViewerTestSupport.h>

#include <EventsView.h>
#include <TimelineStrip.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QTreeWidget>

#include "BenchmarkMain.h"
#include "HistoryOfReads.h"

#include <benchmark/benchmark.h>

#include <functional>
#include <map>
#include <memory>

namespace {

const std::vector<archive_table::ArchiveEvent>& fullRead()
{
    static const std::vector<archive_table::ArchiveEvent> events = [] {
        config_quorvel::Configuration configuration;
        return archive_table::archiveEvents(readPanel(panel_sim::buildPanel(fullArchivePanel()), configuration));
    }();
    return events;
}

struct Window {
    rs485::testing::FakeSerialPlatform line;
    std::unique_ptr<TestMainWindow> window;
    EventsView* table = nullptr;

    // reads: 1 shows a full read as a read does, more a history of them.
    explicit Window(int reads)
    {
        window = std::make_unique<TestMainWindow>(line);
        window->show();
        table = window->findChild<EventsView*>(QStringLiteral("eventsView"));
        if (reads == 1)
            table->showListedEvents(fullRead());
        else
            table->showOrderedEvents(historyOfReads(fullRead(), reads));
        window->findChild<QAction*>(QStringLiteral("find"))->trigger();
        QApplication::processEvents();
    }
};

// The windows by their reads, made when first asked for.
std::map<int, std::unique_ptr<Window>>& windows()
{
    static std::map<int, std::unique_ptr<Window>> made;
    return made;
}

Window& window(int reads)
{
    std::unique_ptr<Window>& made = windows()[reads];
    if (!made)
        made = std::make_unique<Window>(reads);
    return *made;
}

// Alternates between the filter that set() makes and none.
void filterChange(benchmark::State& state, const std::function<void(Window&, bool)>& set)
{
    Window& w = window(int(state.range(0)));
    bool on = false;
    int shown = 0;
    for (auto _ : state) {
        on = !on;
        set(w, on);
        QApplication::processEvents();
        if (on)
            shown = w.table->shownRowCount();
    }
    state.counters["rows"] = double(w.table->eventCount());
    state.counters["shown"] = double(shown);
    // 1 when the strip and the overview were on screen, as they start.
    state.counters["glance"] = w.window->findChild<TimelineStrip*>()->isVisible()
            && w.window->findChild<QTreeWidget*>(QStringLiteral("deviceTree"))->isVisible()
        ? 1.0
        : 0.0;
    set(w, false);
}

QLineEdit& filterText(Window& w)
{
    return *w.window->findChild<QLineEdit*>(QStringLiteral("filterText"));
}

void textFilter(benchmark::State& state)
{
    // An object text of one device: a few hundred of the rows of a read.
    const QString text = archive_table::eventsAsShownAfterRead(fullRead()).front().sourceText;
    filterChange(state, [&](Window& w, bool on) { filterText(w).setText(on ? text : QString()); });
}

// A Russian word as a user types it, found in the panel's look-alike spelling.
void textFilterRussianWord(benchmark::State& state)
{
    filterChange(state, [&](Window& w, bool on) { filterText(w).setText(on ? QStringLiteral("склад") : QString()); });
}

void textFilterMatchingNothing(benchmark::State& state)
{
    filterChange(state,
                 [&](Window& w, bool on) { filterText(w).setText(on ? QStringLiteral("нет такого текста") : QString()); });
}

// Digits and marks are looked for in every event's time.
void textFilterOfATime(benchmark::State& state)
{
    filterChange(state, [&](Window& w, bool on) { filterText(w).setText(on ? QStringLiteral("01/15 1") : QString()); });
}

void emergencyFilter(benchmark::State& state)
{
    filterChange(state, [&](Window& w, bool on) {
        w.window->findChild<QCheckBox*>(QStringLiteral("emergencyOnly"))->setChecked(on);
    });
}

} // namespace

// A full read, then a history of a million events.
#define FILTER_BENCHMARK(name) BENCHMARK(name)->Arg(1)->Arg(123)->Unit(benchmark::kMillisecond)->UseRealTime()
FILTER_BENCHMARK(textFilter);
FILTER_BENCHMARK(textFilterRussianWord);
FILTER_BENCHMARK(textFilterMatchingNothing);
FILTER_BENCHMARK(textFilterOfATime);
FILTER_BENCHMARK(emergencyFilter);

int main(int argc, char** argv)
{
    return runWindowBenchmarks(argc, argv, [] { fullRead(); }, [] { windows().clear(); });
}
