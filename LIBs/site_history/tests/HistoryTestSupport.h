#pragma once

#include <config_quorvel/ConfigQuorvel.h>
#include <memory_dump/DumpDecode.h>
#include <panel_builder/PanelBuilder.h>
#include <panel_sim/SimulatedPanel.h>
#include <rs485/testing/FakeSerialPlatform.h>

#include <cstdint>
#include <stdexcept>

// The dump a read of the described panel gives at the given time.
inline memory_dump::MemoryDump readDump(const panel_sim::PanelDescription& panel, std::int64_t readTimeMs)
{
    rs485::testing::FakeSerialPlatform line;
    line.existingPorts = {"COM1"};
    panel_sim::SimulatedPanel simulated(line, panel_sim::buildPanel(panel));
    config_quorvel::ConfigQuorvel device(line);
    device.setTurbo(true);
    if (!device.openPort("COM1"))
        throw std::runtime_error("the fake line has no COM1");
    config_quorvel::Configuration configuration;
    device.readArchive(configuration, nullptr);
    return memory_dump::dumpOfRead(device, "COM1", readTimeMs, "test");
}

// A panel whose ring has taken `total` records since it was new, each a
// loop event of one device at its own minute, so that every record differs.
// The ring holds the latest 8192 of them.
inline panel_sim::PanelDescription ringPanel(int total, const std::u16string& deviceName = u"Bxoд")
{
    panel_sim::PanelDescription d;
    d.settings.pultType = false;
    panel_sim::ZoneDevice device;
    device.address = 3;
    device.zone = 2;
    panel_sim::NameSet names;
    names.deviceName = deviceName;
    names.loop1Name = deviceName + u" 1";
    device.names = names;
    d.zoneDevices = {device};
    const int first = total > panel_sim::archiveSlots ? total - panel_sim::archiveSlots : 0;
    for (int i = first; i < total; ++i) {
        panel_sim::ArchiveRecord r;
        r.eventClass = 2;
        r.address = 3;
        r.code = static_cast<std::uint8_t>(i % 8);
        r.emergency = i % 8 == 3;
        r.dateTime = panel_sim::packDateTime(2023 + i / (60 * 24 * 28 * 12), 1 + i / (60 * 24 * 28) % 12,
                                             1 + i / (60 * 24) % 28, i / 60 % 24, i % 60, 0);
        d.records.push_back(r);
    }
    d.firstRecordSlot = first % panel_sim::archiveSlots;
    return d;
}
