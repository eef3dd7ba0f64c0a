// The site history: recording a full read (8192 events and its dump) in a
// store, telling the site of a read, and opening a site's history of 50
// reads and about 60 000 events in the window; the store's size per read.
// On a PostgreSQL server: recording a full read, and eight importers at
// once, in reads per second. Run by hand, offscreen, with a local server:
//   scripts/postgres-test-server start /tmp/pg.env --durable
//   QUORVEL_TEST_POSTGRES=/tmp/pg.env bench_history --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
//   scripts/postgres-test-server stop /tmp/pg.env

#include <ViewerTestSupport.h>

#include <HistoryTestSupport.h>
#include <TestServer.h>

#include <memory_dump/DumpDecode.h>
#include <panel_sim/PanelDump.h>
#include <site_history/SiteHistory.h>

#include <QApplication>
#include <QFileInfo>
#include <QTemporaryDir>

#include "BenchmarkMain.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <thread>
#include <vector>

namespace {

// The dump of a panel as a read would keep it, made straight from its memory.
memory_dump::MemoryDump dumpOf(const panel_sim::PanelDescription& description, std::int64_t readTimeMs)
{
    memory_dump::MemoryDump dump = panel_sim::dumpOfPanel(panel_sim::buildPanel(description));
    dump.portName = "COM3";
    dump.readTimeMs = readTimeMs;
    return dump;
}

// 50 reads of one panel whose ring moves on by 1057 records between them:
// 8192 + 49 × 1057 = 59 985 events.
struct FiftyReads {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("history.sqlite"));
    double bytesPerRead = 0;
    int events = 0;

    FiftyReads()
    {
        site_history::SiteHistory store(path);
        for (int i = 0; i < 50; ++i)
            store.record(QStringLiteral("Склад"), dumpOf(ringPanel(8192 + 1057 * i), 1'700'000'000'000 + 86'400'000LL * i));
        events = store.site(QStringLiteral("Склад"))->events;
        bytesPerRead = double(QFileInfo(path).size()) / 50;
    }
};

const FiftyReads& fiftyReads()
{
    static const FiftyReads instance;
    return instance;
}

void recordFullRead(benchmark::State& state)
{
    const memory_dump::MemoryDump dump = dumpOf(ringPanel(8192), 1'700'000'000'000);
    QTemporaryDir dir;
    int round = 0;
    qint64 bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QString path = dir.filePath(QStringLiteral("store%1.sqlite").arg(round++));
        auto store = std::make_unique<site_history::SiteHistory>(path);
        state.ResumeTiming();
        store->record(QStringLiteral("Склад"), dump);
        state.PauseTiming();
        store.reset();
        bytes = QFileInfo(path).size();
        state.ResumeTiming();
    }
    state.counters["events"] = 8192;
    state.counters["store_bytes"] = double(bytes);
}

// A read of a panel the store does not know: every record looked up.
void matchUnknownRead(benchmark::State& state)
{
    site_history::SiteHistory store(fiftyReads().path);
    panel_sim::PanelDescription other = ringPanel(8192);
    for (panel_sim::ArchiveRecord& record : other.records)
        record.address = 9;
    const memory_dump::MemoryDump dump = dumpOf(other, 1'800'000'000'000);
    for (auto _ : state)
        benchmark::DoNotOptimize(store.matchSite(dump));
}

void openSiteHistoryInWindow(benchmark::State& state)
{
    QSettings().setValue(QStringLiteral("history/store"), fiftyReads().path);
    rs485::testing::FakeSerialPlatform line;
    TestMainWindow window(line);
    window.show();
    for (auto _ : state) {
        if (!window.showSiteHistory(QStringLiteral("Склад")))
            state.SkipWithError("the history did not open");
        QApplication::processEvents();
    }
    state.counters["events"] = fiftyReads().events;
    state.counters["bytes_per_read"] = fiftyReads().bytesPerRead;
}

void recordFullReadOnServer(benchmark::State& state)
{
    const TestServer* server = TestServer::get();
    if (!server) {
        state.SkipWithError("no server: QUORVEL_TEST_POSTGRES is not set");
        return;
    }
    const memory_dump::MemoryDump dump = dumpOf(ringPanel(8192), 1'700'000'000'000);
    for (auto _ : state) {
        state.PauseTiming();
        auto store = std::make_unique<site_history::SiteHistory>(server->newDatabase());
        state.ResumeTiming();
        store->record(QStringLiteral("Склад"), dump);
    }
    state.counters["events"] = 8192;
}

// Eight programs, each with its own connection, importing four of eight
// overlapping reads of one site (the ring 300 records on between reads),
// each in an order of its own: 32 reads recorded, 8 of them kept.
void eightImportersOnServer(benchmark::State& state)
{
    const TestServer* server = TestServer::get();
    if (!server) {
        state.SkipWithError("no server: QUORVEL_TEST_POSTGRES is not set");
        return;
    }
    std::vector<memory_dump::MemoryDump> dumps;
    for (int i = 0; i < 8; ++i)
        dumps.push_back(dumpOf(ringPanel(8192 + 300 * i), 1'700'000'000'000 + 3'600'000LL * i));
    for (auto _ : state) {
        state.PauseTiming();
        const QString uri = server->newDatabase();
        site_history::SiteHistory made(uri);
        state.ResumeTiming();
        std::vector<std::thread> importers;
        for (int i = 0; i < 8; ++i)
            importers.emplace_back([&, i] {
                site_history::SiteHistory store(uri);
                for (int k = 0; k < 4; ++k)
                    store.record(QStringLiteral("Склад"), dumps[std::size_t((i + (i % 2 ? -k : k) + 8) % 8)]);
            });
        for (std::thread& importer : importers)
            importer.join();
    }
    state.counters["reads_per_s"] = benchmark::Counter(32.0 * double(state.iterations()), benchmark::Counter::kIsRate);
}

} // namespace

BENCHMARK(recordFullReadOnServer)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(eightImportersOnServer)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(recordFullRead)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(matchUnknownRead)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(openSiteHistoryInWindow)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    return runWindowBenchmarks(argc, argv);
}
