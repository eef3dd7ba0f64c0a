#pragma once

#include <memory_dump/MemoryDump.h>

#include <config_quorvel/Configuration.h>
#include <config_quorvel/Event.h>

#include <cstdint>
#include <string>
#include <vector>

namespace config_quorvel {
class ConfigQuorvel;
}

namespace memory_dump {

// The dump of what the facade's last successful read brought back.
MemoryDump dumpOfRead(const config_quorvel::ConfigQuorvel& device, const std::string& portName,
                      std::int64_t readTimeMs, const std::string& programVersion);

// Decodes a dump as a read of that panel decodes its memory: the same
// identification checks (ConfiguratorError with a read's code when they
// fail, `configuration` then untouched) and the same decoding sequence. The
// events refer to `configuration`.
std::vector<config_quorvel::Event> decodeDump(const MemoryDump& dump,
                                              config_quorvel::Configuration& configuration);

// One valid archive record of a dump: where it lies and its eight bytes.
struct DumpRecord {
    std::uint32_t address = 0;
    std::vector<std::uint8_t> bytes;
};

// The records that decodeDump turns into events, index for index.
std::vector<DumpRecord> validRecords(const MemoryDump& dump);

} // namespace memory_dump
