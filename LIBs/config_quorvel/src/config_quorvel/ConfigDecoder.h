#pragma once

#include <config_quorvel/Configuration.h>
#include <config_quorvel/DeviceNames.h>
#include <config_quorvel/Event.h>
#include <config_quorvel/EventTable.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace boot_loader {
class MemoryImage;
}

namespace config_quorvel {

// Turns the three memory images of a panel into its configuration and its
// archive events. Decoding never fails: addresses outside an image read as 0
// and everything missing keeps its default.
class ConfigDecoder {
public:
    ConfigDecoder(const boot_loader::MemoryImage& settings, const boot_loader::MemoryImage& config,
                  const boot_loader::MemoryImage& archive);

    // Everything a read decodes once the line is quiet: the configuration,
    // the rebuilt event tables, then the archive. A read of the panel and an
    // opened dump both go through here. The events refer to `configuration`.
    std::vector<Event> decodePanel(Configuration& configuration) const;

    // A read's decoding of the configuration, in the read's order: reset,
    // settings, sections or zone devices, commands, the sixteen event tables.
    // The caller then rebuilds the event tables and decodes the archive.
    void decodeConfiguration(Configuration& configuration) const;

    // The general settings of the settings page (not the devices).
    void decodeSettings(Configuration& configuration) const;
    // Devices of a panel without sections, all in section 0.
    void decodeZoneDevices(Configuration& configuration) const;
    // Section panels 1..24 with their devices; also individualReset.
    void decodeSections(Configuration& configuration) const;
    // Appends the occupied menu command slots in slot order.
    void decodeCommands(Configuration& configuration) const;
    // Replaces the configuration's tables by the panel's sixteen.
    void decodeEventTables(Configuration& configuration) const;
    EventTable decodeEventTable(int table) const;
    std::shared_ptr<DeviceNames> decodeDeviceNames(std::uint16_t reference) const;
    // The records whose check byte is valid, in address order. The events
    // refer to `configuration`, which must outlive their text requests.
    std::vector<Event> decodeArchive(const Configuration& configuration) const;
    // Where those records lie in the archive region, in the same order.
    std::vector<std::uint32_t> validRecordAddresses() const;

    // Display text at a configuration address, trailing spaces removed.
    std::u16string readLcdText(std::uint32_t address, std::uint32_t length) const;

    // Settings-page formats.
    static std::string firmwareDateText(std::uint8_t day, std::uint8_t month, std::uint8_t year);
    static std::string firmwareVersionText(std::uint8_t identification, std::uint8_t version);
    // 0..23 from a BCD hour, or 255 when the byte holds no valid hour.
    static int clockSyncHourFromBcd(std::uint8_t bcd);

private:
    const boot_loader::MemoryImage* settings;
    const boot_loader::MemoryImage* config;
    const boot_loader::MemoryImage* archive;
};

} // namespace config_quorvel
