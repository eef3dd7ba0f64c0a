// Decoding a full archive and taking the texts of every event, as a read
// followed by filling the event table does.

#include "PanelImages.h"

#include <panel_builder/PanelBuilder.h>

#include <benchmark/benchmark.h>

namespace {

// The demo panel with every archive slot holding a valid record.
panel_sim::PanelMemory fullArchivePanel()
{
    panel_sim::PanelDescription d = panel_sim::demoPanel();
    const std::vector<panel_sim::ArchiveRecord> kinds = d.records;
    d.records.clear();
    d.firstRecordSlot = 0;
    for (int i = 0; i < panel_sim::archiveSlots; ++i) {
        panel_sim::ArchiveRecord r = kinds[static_cast<std::size_t>(i) % kinds.size()];
        r.validCheck = true;
        d.records.push_back(r);
    }
    return panel_sim::buildPanel(d);
}

void decodeFullArchive(benchmark::State& state)
{
    const config_quorvel::testing::PanelImages images(fullArchivePanel());
    config_quorvel::Configuration configuration;
    images.decodeInto(configuration);
    const config_quorvel::ConfigDecoder decoder = images.decoder();

    std::size_t events = 0;
    for (auto _ : state) {
        const std::vector<config_quorvel::Event> decoded = decoder.decodeArchive(configuration);
        for (const config_quorvel::Event& e : decoded) {
            benchmark::DoNotOptimize(e.dateTimeText());
            benchmark::DoNotOptimize(e.objectText());
            benchmark::DoNotOptimize(e.eventText());
        }
        events = decoded.size();
    }
    state.counters["events"] = static_cast<double>(events);
}

} // namespace

BENCHMARK(decodeFullArchive)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
