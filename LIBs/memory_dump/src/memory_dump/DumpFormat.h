#pragma once

#include <memory_dump/MemoryDump.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace memory_dump {

// The dump file format, version 1 (docs/dump-format.md): a header with the
// magic, the format version, the content's length and its CRC-32, then the
// content; all numbers little-endian.
namespace format {
constexpr std::uint8_t magic[8] = {'Q', 'R', 'V', 'D', 'U', 'M', 'P', 0x1A};
constexpr std::uint16_t version = 1;
constexpr std::size_t headerSize = 18;
} // namespace format

// Refuses a read time outside 1990–2100 (UTC) as a damaged dump's:
// DumpError (ReadTime).
void checkReadTime(std::int64_t readTimeMs);

// The file's bytes for a dump.
std::vector<std::uint8_t> serializeDump(const MemoryDump& dump);

// The dump in a file's bytes. Checks the whole file, its read time
// included, before it returns, so a caller never sees part of a dump.
// Throws DumpError naming the fault.
MemoryDump parseDump(const std::uint8_t* data, std::size_t size);
MemoryDump parseDump(const std::vector<std::uint8_t>& bytes);

} // namespace memory_dump
