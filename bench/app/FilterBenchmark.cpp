// A change of the filter over a full archive (8192 events) as the window
// makes it: the filter bar's field changes, the table hides and shows rows,
// the status line counts them, the timeline and the device overview count
// the rows shown, and the pending repaint runs. Each iteration
// switches between no filter and the given one, so every change touches
// the rows it hides. Run offscreen:
//   bench_filter --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

#include <ViewerTestSupport.h>

#include <EventsViewWidget.h>
#include <TimelineStrip.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QTreeWidget>

#include "BenchmarkMain.h"

#include <benchmark/benchmark.h>

#include <functional>
#include <memory>

namespace {

struct Window {
    rs485::testing::FakeSerialPlatform line;
    config_quorvel::Configuration configuration;
    std::vector<config_quorvel::Event> events;
    std::unique_ptr<TestMainWindow> window;
    EventsViewWidget* table = nullptr;

    Window()
    {
        events = readPanel(panel_sim::buildPanel(fullArchivePanel()), configuration);
        window = std::make_unique<TestMainWindow>(line);
        window->show();
        table = window->findChild<EventsViewWidget*>(QStringLiteral("eventsView"));
        table->showEvents(events);
        window->findChild<QAction*>(QStringLiteral("find"))->trigger();
        QApplication::processEvents();
    }
};

Window& window()
{
    static Window instance;
    return instance;
}

// Alternates between the filter that set() makes and none.
void filterChange(benchmark::State& state, const std::function<void(bool)>& set)
{
    Window& w = window();
    bool on = false;
    int shown = 0;
    for (auto _ : state) {
        on = !on;
        set(on);
        QApplication::processEvents();
        if (on)
            shown = w.table->shownRowCount();
    }
    state.counters["rows"] = double(w.table->rowCount());
    state.counters["shown"] = double(shown);
    // 1 when the strip and the overview were on screen, as they start.
    state.counters["glance"] = w.window->findChild<TimelineStrip*>()->isVisible()
            && w.window->findChild<QTreeWidget*>(QStringLiteral("deviceTree"))->isVisible()
        ? 1.0
        : 0.0;
    set(false);
}

void textFilter(benchmark::State& state)
{
    auto* field = window().window->findChild<QLineEdit*>(QStringLiteral("filterText"));
    // An object text of one device: a few hundred of the rows.
    const QString text = window().table->item(0, archive_table::objectColumn)->text();
    filterChange(state, [&](bool on) { field->setText(on ? text : QString()); });
}

// A Russian word as a user types it, found in the panel's look-alike spelling.
void textFilterRussianWord(benchmark::State& state)
{
    auto* field = window().window->findChild<QLineEdit*>(QStringLiteral("filterText"));
    filterChange(state, [&](bool on) { field->setText(on ? QStringLiteral("склад") : QString()); });
}

void textFilterMatchingNothing(benchmark::State& state)
{
    auto* field = window().window->findChild<QLineEdit*>(QStringLiteral("filterText"));
    filterChange(state, [&](bool on) { field->setText(on ? QStringLiteral("нет такого текста") : QString()); });
}

void emergencyFilter(benchmark::State& state)
{
    auto* box = window().window->findChild<QCheckBox*>(QStringLiteral("emergencyOnly"));
    filterChange(state, [&](bool on) { box->setChecked(on); });
}

} // namespace

BENCHMARK(textFilter)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(textFilterRussianWord)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(textFilterMatchingNothing)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(emergencyFilter)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    return runWindowBenchmarks(argc, argv, [] { window(); }, [] { window().window.reset(); });
}
