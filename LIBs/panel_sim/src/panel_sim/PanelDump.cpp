#include <panel_sim/PanelDump.h>

#include <panel_sim/PanelLoader.h>

#include <config_quorvel/MemoryMap.h>

namespace panel_sim {

namespace mm = config_quorvel::memory_map;

memory_dump::MemoryDump dumpOfPanel(const PanelMemory& memory)
{
    memory_dump::MemoryDump dump;
    dump.infoBlock = PanelLoader(memory).infoBlock();
    dump.settings = {mm::settingsSpace, mm::settingsStart, memory.settings};
    dump.configuration = {mm::configSpace, mm::configStart, memory.config};
    dump.archive = {mm::archiveSpace, mm::archiveStart, memory.archive};
    return dump;
}

} // namespace panel_sim
