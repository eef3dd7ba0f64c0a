// The whole decode of a read (settings, devices or sections, commands,
// event tables, their rebuild, the archive) from arbitrary memory regions,
// with every event's texts taken.
//
// Input: see PanelInput.h.

#include "FuzzCheck.h"
#include "PanelInput.h"

#include <config_quorvel/Configuration.h>
#include <config_quorvel/Crc8.h>
#include <config_quorvel/DeviceNames.h>
#include <config_quorvel/Event.h>

#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

using config_quorvel::Configuration;
using config_quorvel::EventTable;

namespace {

// A table as it compares for the rebuild: without its title.
EventTable untitled(EventTable table)
{
    table.name.clear();
    return table;
}

void checkSettings(const Configuration& c)
{
    // DD.MM.YYYY, the widths being minimums.
    FUZZ_CHECK(c.firmwareDate.size() >= 10 && c.firmwareDate.size() <= 12);
    FUZZ_CHECK(c.backlightLevel >= 0 && c.backlightLevel <= 3);
    FUZZ_CHECK(c.pultAddress >= 0 && c.pultAddress <= 31);
    FUZZ_CHECK((c.clockSyncHour >= 0 && c.clockSyncHour <= 23) || c.clockSyncHour == 255);
}

void checkDevices(const Configuration& c)
{
    if (!c.pultType) {
        // A panel without sections keeps every device in section 0.
        FUZZ_CHECK(c.sections.size() == 1 && c.sections.count(0) == 1);
    } else {
        for (const auto& entry : c.sections) {
            FUZZ_CHECK(entry.first >= 1 && entry.first <= 24);
            FUZZ_CHECK(entry.second.address == entry.first);
            FUZZ_CHECK(entry.second.group >= 1 && entry.second.group <= 7);
        }
    }
    for (const auto& section : c.sections) {
        for (const auto& entry : section.second.devices) {
            FUZZ_CHECK(entry.first >= 1 && entry.first <= 127);
            FUZZ_CHECK(entry.second.address == entry.first);
            FUZZ_CHECK(entry.second.zone >= 1 && entry.second.zone <= 15);
            // With sections a device exists only through its name record.
            FUZZ_CHECK(!c.pultType || entry.second.names);
        }
    }
    FUZZ_CHECK(c.commands.size() <= 64);
    for (const auto& command : c.commands) {
        FUZZ_CHECK(command.sectionMode == c.pultType);
        FUZZ_CHECK(command.data.size() == 8);
    }
}

// After the rebuild: at least one table, table 0 untitled, every other one
// titled; each device still sees the texts of the table it referred to, and
// only unused tables of built-in texts are gone.
void checkRebuild(const Configuration& before, const Configuration& after, bool changed)
{
    const auto& tables = after.eventTables;
    FUZZ_CHECK(!tables.empty() && tables.size() <= 16);
    FUZZ_CHECK(tables[0].name.empty());
    for (std::size_t i = 1; i < tables.size(); ++i)
        FUZZ_CHECK(!tables[i].name.empty());
    FUZZ_CHECK(changed == (tables.size() < before.eventTables.size()));

    for (const auto& section : before.sections) {
        for (const auto& entry : section.second.devices) {
            const auto& was = entry.second.names;
            if (!was)
                continue;
            const auto& now = after.sections.at(section.first).devices.at(entry.first).names;
            FUZZ_CHECK(now);
            const int reference = was->eventTable;
            if (reference <= 0 || reference >= static_cast<int>(before.eventTables.size()))
                continue;
            FUZZ_CHECK(now->eventTable >= 0 && now->eventTable < static_cast<int>(tables.size()));
            FUZZ_CHECK(untitled(tables[now->eventTable]) == untitled(before.eventTables[reference]));
        }
    }
    std::size_t kept = 1;
    for (std::size_t i = 1; i < before.eventTables.size(); ++i)
        if (untitled(before.eventTables[i]) != EventTable::defaults())
            ++kept;
    FUZZ_CHECK(tables.size() >= kept);
}

std::size_t validRecords(const panel_sim::PanelMemory& memory)
{
    std::size_t count = 0;
    for (std::size_t at = 0; at + 8 <= memory.archive.size(); at += 8)
        if (config_quorvel::crc8(memory.archive.data() + at, 8) == 0)
            ++count;
    return count;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The rebuild logs through Qt's debug stream; keep the run quiet.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const panel_sim::PanelMemory memory = fuzz::panelFromInput(data, size);
    const fuzz::PanelImages images(memory);

    // Into a configuration that an earlier read has filled.
    Configuration configuration;
    configuration.pultType = true;
    configuration.sections[7].devices[3].names = std::make_shared<config_quorvel::DeviceNames>();
    Configuration decoded;
    bool changed = false;
    const std::vector<config_quorvel::Event> events =
        fuzz::decodeRead(images, configuration, &decoded, &changed);

    checkSettings(configuration);
    FUZZ_CHECK(decoded.eventTables.size() == 16);
    checkDevices(decoded);
    checkRebuild(decoded, configuration, changed);
    checkDevices(configuration);

    FUZZ_CHECK(events.size() == validRecords(memory));
    for (const config_quorvel::Event& event : events) {
        FUZZ_CHECK(event.configuration() == &configuration);
        const std::string when = event.dateTimeText();
        FUZZ_CHECK(event.dateTime() == 0 ? when.empty() : when.size() == 19);
        event.objectText();
        event.eventText();
    }
    // Taking texts leaves the configuration as decoded.
    checkDevices(configuration);
    return 0;
}
