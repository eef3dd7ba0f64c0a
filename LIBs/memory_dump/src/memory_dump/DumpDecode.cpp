#include <memory_dump/DumpDecode.h>

#include <config_quorvel/ConfigDecoder.h>
#include <config_quorvel/ConfigQuorvel.h>
#include <config_quorvel/ConfiguratorError.h>
#include <config_quorvel/MemoryMap.h>
#include <config_quorvel/PanelIdentity.h>

#include <boot_loader/BootloaderInfo.h>
#include <boot_loader/MemoryImage.h>

namespace memory_dump {

namespace mm = config_quorvel::memory_map;

namespace {

DumpRegion regionOf(const boot_loader::MemoryImage& image)
{
    DumpRegion region;
    if (!image.pages.empty()) {
        region.space = static_cast<std::uint8_t>(image.pages.front().working.space);
        region.start = image.pages.front().working.address;
    }
    region.bytes = image.contents();
    return region;
}

boot_loader::MemoryImage imageOf(const DumpRegion& region, int pages)
{
    boot_loader::MemoryImage image(region.space, region.start, mm::pageSize, pages);
    image.assign(region.bytes);
    return image;
}

} // namespace

MemoryDump dumpOfRead(const config_quorvel::ConfigQuorvel& device, const std::string& portName,
                      std::int64_t readTimeMs, const std::string& programVersion)
{
    MemoryDump dump;
    dump.infoBlock = device.infoBlockBytes();
    dump.settings = regionOf(device.settingsMemory());
    dump.configuration = regionOf(device.configMemory());
    dump.archive = regionOf(device.archiveMemory());
    dump.settingsChecksum = device.settingsChecksumValue();
    dump.configChecksum = device.configChecksumValue();
    dump.turbo = device.turboEnabled();
    dump.portName = portName;
    dump.readTimeMs = readTimeMs;
    dump.programVersion = programVersion;
    return dump;
}

std::vector<config_quorvel::Event> decodeDump(const MemoryDump& dump,
                                              config_quorvel::Configuration& configuration)
{
    config_quorvel::checkLoaderIdentity(boot_loader::BootloaderInfo(dump.infoBlock));
    const boot_loader::MemoryImage settings = imageOf(dump.settings, mm::settingsPages);
    if (!config_quorvel::settingsIdentified(settings))
        throw config_quorvel::ConfiguratorError(config_quorvel::ConfiguratorError::IncompatibleFirmware);
    const boot_loader::MemoryImage config = imageOf(dump.configuration, mm::configPages);
    const boot_loader::MemoryImage archive = imageOf(dump.archive, mm::archivePages);
    return config_quorvel::ConfigDecoder(settings, config, archive).decodePanel(configuration);
}

std::vector<DumpRecord> validRecords(const MemoryDump& dump)
{
    const boot_loader::MemoryImage settings = imageOf(dump.settings, mm::settingsPages);
    const boot_loader::MemoryImage config = imageOf(dump.configuration, mm::configPages);
    const boot_loader::MemoryImage archive = imageOf(dump.archive, mm::archivePages);
    std::vector<DumpRecord> records;
    for (const std::uint32_t address : config_quorvel::ConfigDecoder(settings, config, archive).validRecordAddresses())
        records.push_back({address, archive.bytes(address, mm::recordSize)});
    return records;
}

} // namespace memory_dump
