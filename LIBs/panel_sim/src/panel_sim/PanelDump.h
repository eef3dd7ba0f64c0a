#pragma once

#include <panel_sim/PanelMemory.h>

#include <memory_dump/MemoryDump.h>

namespace panel_sim {

// The dump a read of the panel would keep, made straight from its memory:
// the loader's information block and the three regions where the memory map
// puts them. Checksums, port and time are left for the caller.
memory_dump::MemoryDump dumpOfPanel(const PanelMemory& memory);

} // namespace panel_sim
