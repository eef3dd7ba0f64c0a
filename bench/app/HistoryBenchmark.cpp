// The site history at the sizes a site reaches over years: stores of about
// 60 000, 250 000 and 1 000 000 events of one site, made once per run in a
// temporary folder by recording successive reads 8000 records apart, as
// reads are recorded. For each: importing one more full read (opening the
// store included, as --import does), reading the whole site's events out,
// --history-table of the reader with its peak memory, telling the site of
// an unknown read, the site's statistics (target ≤ 1 s at a million, also on
// a server), and the store's bytes per event. The overview of 1 000 sites
// read three times each (target ≤ 1 s, also on a server). Merging two sites
// of about 250 000 events each, one panel read alternately under two names
// (target ≤ 5 s, also on a server). Also recording a full
// read into an empty store, and the window opening the 60 000-event
// history. On a PostgreSQL server: a full read recorded, eight importers at
// once, and import and read-out at 250 000 events. Run by hand, offscreen,
// with a local server:
//   scripts/postgres-test-server start /tmp/pg.env --durable
//   QUORVEL_TEST_POSTGRES=/tmp/pg.env bench_history --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
//   scripts/postgres-test-server stop /tmp/pg.env
// Making the stores takes a minute or two; --benchmark_filter=/60000 keeps
// to the smallest.

#include <ViewerTestSupport.h>

#include <HistoryTestSupport.h>
#include <TestServer.h>

#include <StatisticsWindow.h>

#include <memory_dump/DumpDecode.h>
#include <panel_sim/PanelDump.h>
#include <site_history/SiteHistory.h>
#include <site_statistics/DeviceRanking.h>
#include <site_statistics/MonthTable.h>
#include <site_statistics/SiteOverview.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTableView>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include "BenchmarkMain.h"

#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <thread>

#include <sys/resource.h>
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

// Read `i` of the site: its ring 8000 records on from the one before, a day later.
constexpr int recordsBetweenReads = 8000;
memory_dump::MemoryDump siteRead(int i)
{
    return dumpOf(ringPanel(8192 + recordsBetweenReads * i), 1'700'000'000'000 + 86'400'000LL * i);
}

// How many reads make a store of about `events` events.
int readsFor(int events)
{
    return 1 + (events - 8192 + recordsBetweenReads / 2) / recordsBetweenReads;
}

const QString site = QStringLiteral("Склад");

QTemporaryDir& folder()
{
    static QTemporaryDir dir;
    return dir;
}

// A site's store of about `events` events, made on first use in this run.
struct SiteStore {
    QString location;
    int reads = 0;
    int events = 0;
};

SiteStore makeStore(const QString& location, int wantedEvents)
{
    SiteStore made{location, readsFor(wantedEvents), 0};
    QElapsedTimer took;
    took.start();
    site_history::SiteHistory store(location);
    for (int i = 0; i < made.reads; ++i)
        store.record(site, siteRead(i));
    made.events = store.site(site)->events;
    std::fprintf(stderr, "made a store of %d events in %d reads in %.1f s\n", made.events, made.reads,
                 double(took.elapsed()) / 1000);
    return made;
}

const SiteStore& fileStore(int events)
{
    static std::map<int, SiteStore> stores;
    auto found = stores.find(events);
    if (found == stores.end())
        found = stores.emplace(events, makeStore(folder().filePath(QStringLiteral("history%1.sqlite").arg(events)), events)).first;
    return found->second;
}

const SiteStore* serverStore(int events)
{
    const TestServer* server = TestServer::get();
    if (!server)
        return nullptr;
    static std::map<int, SiteStore> stores;
    auto found = stores.find(events);
    if (found == stores.end())
        found = stores.emplace(events, makeStore(server->newDatabase(), events)).first;
    return &found->second;
}

// One more full read of the site: the store copied before each round, so
// that every round imports into the same store.
void importOneMoreRead(benchmark::State& state)
{
    const SiteStore& made = fileStore(int(state.range(0)));
    const memory_dump::MemoryDump next = siteRead(made.reads);
    const QString copy = folder().filePath(QStringLiteral("import.sqlite"));
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(copy);
        QFile::copy(made.location, copy);
        state.ResumeTiming();
        site_history::SiteHistory store(copy);
        benchmark::DoNotOptimize(store.record(site, next));
    }
    state.counters["events"] = made.events;
    state.counters["bytes_per_event"] = double(QFileInfo(made.location).size()) / made.events;
}

// Every event of the site, one at a time in the shown order, as an export
// takes them.
void readOutSite(benchmark::State& state)
{
    const SiteStore& made = fileStore(int(state.range(0)));
    for (auto _ : state) {
        site_history::SiteHistory store(made.location);
        std::size_t events = 0;
        store.eachEvent(site, [&](const archive_table::ArchiveEvent& event) {
            benchmark::DoNotOptimize(event);
            return ++events, true;
        });
        if (int(events) != made.events)
            state.SkipWithError("the events read out are not the site's");
    }
    state.counters["events"] = made.events;
}

// The reader's --history-table into a file, timed from the outside with
// its peak memory by /usr/bin/time -v.
void historyTableOfReader(benchmark::State& state)
{
    const SiteStore& made = fileStore(int(state.range(0)));
    const QString output = folder().filePath(QStringLiteral("table.txt"));
    double peakMb = 0;
    double cpuSeconds = 0;
    for (auto _ : state) {
        QProcess reader;
        reader.start(QStringLiteral("/usr/bin/time"),
                     {QStringLiteral("-v"), QStringLiteral(QUORVEL_ARCHIVE_PROGRAM), QStringLiteral("--history"), made.location,
                      QStringLiteral("--site"), site, QStringLiteral("--history-table"), QStringLiteral("-o"), output});
        if (!reader.waitForFinished(600000) || reader.exitCode() != 0) {
            state.SkipWithError("the reader failed (is /usr/bin/time installed?)");
            break;
        }
        cpuSeconds = 0;
        for (const QByteArray& line : reader.readAllStandardError().split('\n')) {
            const QByteArray field = line.trimmed();
            if (field.startsWith("Maximum resident set size (kbytes):"))
                peakMb = line.split(':').last().trimmed().toDouble() / 1024;
            else if (field.startsWith("User time (seconds):") || field.startsWith("System time (seconds):"))
                cpuSeconds += line.split(':').last().trimmed().toDouble();
        }
    }
    state.counters["events"] = made.events;
    state.counters["peak_rss_mb"] = peakMb;
    // The reader's own processor time: what the table costs on an idle machine.
    state.counters["reader_cpu_s"] = cpuSeconds;
}

// A read of a panel the store does not know: every record looked up.
void matchUnknownRead(benchmark::State& state)
{
    site_history::SiteHistory store(fileStore(int(state.range(0))).location);
    panel_sim::PanelDescription other = ringPanel(8192);
    for (panel_sim::ArchiveRecord& record : other.records)
        record.address = 9;
    const memory_dump::MemoryDump dump = dumpOf(other, 1'800'000'000'000);
    for (auto _ : state)
        benchmark::DoNotOptimize(store.matchSite(dump));
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
        store->record(site, dump);
        state.PauseTiming();
        store.reset();
        bytes = QFileInfo(path).size();
        state.ResumeTiming();
    }
    state.counters["events"] = 8192;
    state.counters["store_bytes"] = double(bytes);
}

// Pictures of the window holding the history just opened, for the eye: at
// 1366×768, at 1024×600 with the filter bar open on the top row's object,
// and the site's statistics.
void pictureHistoryWindow(TestMainWindow& window, const QDir& folder, int events)
{
    const QString name = QStringLiteral("history-%1-%2.png").arg(events);
    window.resize(1366, 768);
    QApplication::processEvents();
    window.grab().save(folder.filePath(name.arg(QStringLiteral("1366x768"))));
    window.resize(1024, 600);
    window.findChild<QAction*>(QStringLiteral("find"))->trigger();
    auto* table = window.findChild<QTableView*>(QStringLiteral("eventsView"));
    window.findChild<QLineEdit*>(QStringLiteral("filterText"))->setText(table->model()->index(0, 6).data().toString());
    QApplication::processEvents();
    window.grab().save(folder.filePath(name.arg(QStringLiteral("1024x600-filtered"))));
    window.findChild<QAction*>(QStringLiteral("showStatistics"))->trigger();
    QApplication::processEvents();
    if (auto* statistics = window.findChild<StatisticsWindow*>()) {
        statistics->grab().save(folder.filePath(name.arg(QStringLiteral("statistics"))));
        statistics->close();
    }
}

void openSiteHistoryInWindow(benchmark::State& state)
{
    const SiteStore& made = fileStore(int(state.range(0)));
    QSettings().setValue(QStringLiteral("history/store"), made.location);
    rs485::testing::FakeSerialPlatform line;
    TestMainWindow window(line);
    window.show();
    // The window's event loop while the history opens: the longest wait
    // between two turns of a timer that asks to run at every turn.
    QElapsedTimer sinceTick;
    qint64 longestGapMs = 0;
    QTimer ticks;
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        longestGapMs = std::max(longestGapMs, sinceTick.restart());
    });
    for (auto _ : state) {
        sinceTick.start();
        ticks.start(0);
        if (!window.showSiteHistory(site))
            state.SkipWithError("the history did not open");
        ticks.stop();
        QApplication::processEvents();
    }
    state.counters["events"] = made.events;
    state.counters["longest_loop_gap_ms"] = double(longestGapMs);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["process_peak_rss_mb"] = double(usage.ru_maxrss) / 1024;
    const QString pictures = qEnvironmentVariable("QUORVEL_BENCH_PICTURES");
    if (!pictures.isEmpty())
        pictureHistoryWindow(window, QDir(pictures), made.events);
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
        store->record(site, dump);
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
        std::vector<std::string> failures(8);
        for (int i = 0; i < 8; ++i)
            importers.emplace_back([&, i] {
                try {
                    site_history::SiteHistory store(uri);
                    for (int k = 0; k < 4; ++k)
                        store.record(site, dumps[std::size_t((i + (i % 2 ? -k : k) + 8) % 8)]);
                } catch (const site_history::HistoryError& error) {
                    failures[std::size_t(i)] = error.what();
                }
            });
        for (std::thread& importer : importers)
            importer.join();
        for (const std::string& failure : failures)
            if (!failure.empty()) {
                state.SkipWithError(failure.c_str());
                return;
            }
    }
    state.counters["reads_per_s"] = benchmark::Counter(32.0 * double(state.iterations()), benchmark::Counter::kIsRate);
}

// One more full read into the server's store of about 250 000 events, a
// copy of it made by the server for each round.
void importOneMoreReadOnServer(benchmark::State& state)
{
    const SiteStore* made = serverStore(int(state.range(0)));
    if (!made) {
        state.SkipWithError("no server: QUORVEL_TEST_POSTGRES is not set");
        return;
    }
    const TestServer& server = *TestServer::get();
    const memory_dump::MemoryDump next = siteRead(made->reads);
    const QString original = TestServer::databaseOf(made->location);
    const QString copy = original + QStringLiteral("_copy");
    for (auto _ : state) {
        state.PauseTiming();
        server.admin(QStringLiteral("postgres"), {QStringLiteral("DROP DATABASE IF EXISTS ") + copy,
                                                  QStringLiteral("CREATE DATABASE %1 TEMPLATE %2").arg(copy, original)});
        state.ResumeTiming();
        site_history::SiteHistory store(server.uri(copy));
        benchmark::DoNotOptimize(store.record(site, next));
    }
    state.counters["events"] = made->events;
}

void readOutSiteOnServer(benchmark::State& state)
{
    const SiteStore* made = serverStore(int(state.range(0)));
    if (!made) {
        state.SkipWithError("no server: QUORVEL_TEST_POSTGRES is not set");
        return;
    }
    for (auto _ : state) {
        site_history::SiteHistory store(made->location);
        std::size_t events = 0;
        store.eachEvent(site, [&](const archive_table::ArchiveEvent& event) {
            benchmark::DoNotOptimize(event);
            return ++events, true;
        });
        if (int(events) != made->events)
            state.SkipWithError("the events read out are not the site's");
    }
    state.counters["events"] = made->events;
}

// The site's month table and device ranking from a store just opened, as
// --history-stats makes them: the store tallies, the tables come from the
// tallies.
void statisticsOf(benchmark::State& state, const QString& location)
{
    for (auto _ : state) {
        site_history::SiteHistory store(location);
        const site_statistics::Tallies tallies = store.tallies(site);
        benchmark::DoNotOptimize(site_statistics::monthTable(tallies));
        benchmark::DoNotOptimize(site_statistics::deviceRanking(tallies, {}));
        state.counters["tallies"] = double(tallies.size());
    }
}

void siteStatistics(benchmark::State& state)
{
    const SiteStore& made = fileStore(int(state.range(0)));
    statisticsOf(state, made.location);
    state.counters["events"] = made.events;
}

void siteStatisticsOnServer(benchmark::State& state)
{
    const SiteStore* made = serverStore(int(state.range(0)));
    if (!made) {
        state.SkipWithError("no server: QUORVEL_TEST_POSTGRES is not set");
        return;
    }
    statisticsOf(state, made->location);
    state.counters["events"] = made->events;
}

// A store of 1 000 sites read three times each, a day apart, made on first
// use in this run: the overview of an office's sites.
QString manySitesStore(const QString& location)
{
    QElapsedTimer took;
    took.start();
    site_history::SiteHistory store(location);
    for (int site = 0; site < 1000; ++site)
        for (int read = 0; read < 3; ++read)
            store.record(QStringLiteral("Объект %1").arg(site),
                         dumpOf(ringPanel(20 + site * 3 + read), 1'700'000'000'000 + 86'400'000LL * read + site));
    std::fprintf(stderr, "made a store of 1000 sites in %.1f s\n", double(took.elapsed()) / 1000);
    return location;
}

void overviewOf(benchmark::State& state, const QString& location)
{
    for (auto _ : state) {
        site_history::SiteHistory store(location);
        const auto sites = store.overview();
        if (sites.size() != 1000)
            state.SkipWithError("the overview is not of the store's sites");
        benchmark::DoNotOptimize(site_statistics::overviewTableTexts(sites, QDate::currentDate()));
    }
}

void overviewOfSites(benchmark::State& state)
{
    static const QString location = manySitesStore(folder().filePath(QStringLiteral("sites.sqlite")));
    overviewOf(state, location);
}

void overviewOfSitesOnServer(benchmark::State& state)
{
    const TestServer* server = TestServer::get();
    if (!server) {
        state.SkipWithError("no server: QUORVEL_TEST_POSTGRES is not set");
        return;
    }
    static const QString location = manySitesStore(server->newDatabase());
    overviewOf(state, location);
}

// One panel's reads recorded alternately under two names, 31 each: two
// sites of about 254 000 events that share the 192 records by which each
// read overlaps the next.
SiteStore twoNamesStore(const QString& location)
{
    QElapsedTimer took;
    took.start();
    site_history::SiteHistory store(location);
    constexpr int reads = 62;
    for (int i = 0; i < reads; ++i)
        store.record(i % 2 ? QStringLiteral("Склад №1") : QStringLiteral("Склад 1"), siteRead(i));
    const int events = store.site(QStringLiteral("Склад 1"))->events + store.site(QStringLiteral("Склад №1"))->events;
    std::fprintf(stderr, "made two sites of %d events together in %.1f s\n", events, double(took.elapsed()) / 1000);
    return {location, reads, events};
}

void mergeInto(benchmark::State& state, const QString& location, const SiteStore& made)
{
    site_history::SiteHistory store(location);
    const site_history::MergedSites merged = store.mergeSite(QStringLiteral("Склад 1"), QStringLiteral("Склад №1"));
    if (merged.reads + merged.keptReads != made.reads / 2)
        state.SkipWithError("the merge did not move the site's reads");
    state.counters["events"] = made.events;
    state.counters["shared_events"] = merged.sharedEvents;
}

// The store copied before each round, so that every round merges the same sites.
void mergeTwoSites(benchmark::State& state)
{
    static const SiteStore made = twoNamesStore(folder().filePath(QStringLiteral("two-names.sqlite")));
    const QString copy = folder().filePath(QStringLiteral("merge.sqlite"));
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(copy);
        QFile::copy(made.location, copy);
        state.ResumeTiming();
        mergeInto(state, copy, made);
    }
}

void mergeTwoSitesOnServer(benchmark::State& state)
{
    const TestServer* server = TestServer::get();
    if (!server) {
        state.SkipWithError("no server: QUORVEL_TEST_POSTGRES is not set");
        return;
    }
    static const SiteStore made = twoNamesStore(server->newDatabase());
    const QString original = TestServer::databaseOf(made.location);
    const QString copy = original + QStringLiteral("_merge");
    for (auto _ : state) {
        state.PauseTiming();
        server->admin(QStringLiteral("postgres"), {QStringLiteral("DROP DATABASE IF EXISTS ") + copy,
                                                   QStringLiteral("CREATE DATABASE %1 TEMPLATE %2").arg(copy, original)});
        state.ResumeTiming();
        mergeInto(state, server->uri(copy), made);
    }
}

} // namespace

BENCHMARK(recordFullRead)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(importOneMoreRead)->Arg(60000)->Arg(250000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(readOutSite)->Arg(60000)->Arg(250000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(historyTableOfReader)->Arg(60000)->Arg(250000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(matchUnknownRead)->Arg(60000)->Arg(250000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(siteStatistics)->Arg(60000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(overviewOfSites)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(openSiteHistoryInWindow)->Arg(60000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(recordFullReadOnServer)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(eightImportersOnServer)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(importOneMoreReadOnServer)->Arg(250000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(readOutSiteOnServer)->Arg(250000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(siteStatisticsOnServer)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(overviewOfSitesOnServer)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(mergeTwoSites)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(mergeTwoSitesOnServer)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    return runWindowBenchmarks(argc, argv);
}
