// Opening a dump of a full archive (8192 events) in the window, offscreen:
// reading the file, checking its CRC-32, decoding it through the read's
// decoding sequence and filling the table, newest first. The parts alone for
// comparison. Run by hand:
//   bench_dump_open --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

#include <ViewerTestSupport.h>

#include <EventsView.h>

#include <memory_dump/DumpDecode.h>
#include <memory_dump/DumpFile.h>
#include <panel_sim/PanelDump.h>

#include <QApplication>
#include <QTemporaryDir>

#include "BenchmarkMain.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

struct DumpOnDisk {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("full.qrvdump"));
    std::size_t events = 0;

    DumpOnDisk()
    {
        const panel_sim::PanelMemory memory = panel_sim::buildPanel(fullArchivePanel());
        memory_dump::MemoryDump dump = panel_sim::dumpOfPanel(memory);
        dump.portName = "COM3";
        memory_dump::saveDumpFile(path, dump);
        config_quorvel::Configuration configuration;
        events = memory_dump::decodeDump(dump, configuration).size();
    }
};

const DumpOnDisk& dumpOnDisk()
{
    static const DumpOnDisk instance;
    return instance;
}

void openInWindow(benchmark::State& state)
{
    rs485::testing::FakeSerialPlatform line;
    for (auto _ : state) {
        state.PauseTiming();
        auto window = std::make_unique<TestMainWindow>(line);
        state.ResumeTiming();

        if (!window->openDumpFile(dumpOnDisk().path))
            state.SkipWithError("the dump did not open");

        state.PauseTiming();
        if (window->findChild<EventsView*>(QStringLiteral("eventsView"))->eventCount()
            != int(dumpOnDisk().events))
            state.SkipWithError("not every event was shown");
        window.reset();
        state.ResumeTiming();
    }
    state.counters["rows"] = double(dumpOnDisk().events);
}

void loadAndCheck(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(memory_dump::loadDumpFile(dumpOnDisk().path));
}

void decode(benchmark::State& state)
{
    const memory_dump::MemoryDump dump = memory_dump::loadDumpFile(dumpOnDisk().path);
    for (auto _ : state) {
        config_quorvel::Configuration configuration;
        benchmark::DoNotOptimize(memory_dump::decodeDump(dump, configuration));
    }
}

} // namespace

BENCHMARK(openInWindow)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(loadAndCheck)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(decode)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    return runWindowBenchmarks(argc, argv, [] {
        // The configuration's trace would be timed too.
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
        dumpOnDisk();
    });
}
