#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace memory_dump {

// One region of panel memory as a read brought it back.
struct DumpRegion {
    std::uint8_t space = 0;
    std::uint32_t start = 0;
    std::vector<std::uint8_t> bytes;

    bool operator==(const DumpRegion& other) const
    {
        return space == other.space && start == other.start && bytes == other.bytes;
    }
};

// Everything one successful read of a panel produced, as a dump file keeps it.
struct MemoryDump {
    static constexpr std::size_t infoBlockSize = 16;

    std::vector<std::uint8_t> infoBlock; // the loader's information block as received
    DumpRegion settings;
    DumpRegion configuration;
    DumpRegion archive;
    std::uint32_t settingsChecksum = 0; // the loader's range checksums at the end of the read
    std::uint32_t configChecksum = 0;
    bool turbo = false;                 // the read ran at the higher speed
    std::string portName;               // UTF-8
    std::int64_t readTimeMs = 0;        // end of the read, ms since 1970-01-01 UTC
    std::string programVersion;         // of the program that read the panel

    bool operator==(const MemoryDump& other) const
    {
        return infoBlock == other.infoBlock && settings == other.settings
            && configuration == other.configuration && archive == other.archive
            && settingsChecksum == other.settingsChecksum && configChecksum == other.configChecksum
            && turbo == other.turbo && portName == other.portName && readTimeMs == other.readTimeMs
            && programVersion == other.programVersion;
    }
};

} // namespace memory_dump
