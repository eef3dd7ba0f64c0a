#pragma once

#include <panel_sim/PanelMemory.h>

#include <config_quorvel/Configuration.h>
#include <config_quorvel/Event.h>

#include <boot_loader/MemoryImage.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace fuzz {

// A fuzz input read as the three memory regions of a panel.
//
// Byte 0 picks the image the patches apply to (modulo 3): erased flash
// (0xFF), zeros, or the demo panel. Then, until the input ends, patches:
//   op        region = (op & 3) modulo 3: settings, configuration, archive
//   op & 0x80 fill:   offset word, length word, value byte
//   op & 0x40 record: archive slot word (modulo 8192), 7 bytes; the check
//                     byte is computed, so the record is always valid
//   otherwise copy:   offset word, length byte, that many bytes
// Offsets are relative to the region, taken modulo its size; whatever
// would run past the region's end is dropped. Words are little-endian.
enum class Base : std::uint8_t { Erased = 0, Zeros = 1, Demo = 2 };

panel_sim::PanelMemory panelFromInput(const std::uint8_t* data, std::size_t size);

// The input that turns `base` into `memory` with copy patches only.
std::vector<std::uint8_t> panelInput(Base base, const panel_sim::PanelMemory& memory);

const panel_sim::PanelMemory& baseMemory(Base base);

// The memory images a read leaves behind, filled straight from a region.
struct PanelImages {
    explicit PanelImages(const panel_sim::PanelMemory& memory);

    boot_loader::MemoryImage settings;
    boot_loader::MemoryImage config;
    boot_loader::MemoryImage archive;
};

// The decoding steps of a read in the read's order, as the facade runs them
// once the port is quiet. `decoded`, when given, receives the configuration
// as it stood before the rebuild of its event tables, `rebuilt` what the
// rebuild returned.
std::vector<config_quorvel::Event> decodeRead(const PanelImages& images,
                                              config_quorvel::Configuration& configuration,
                                              config_quorvel::Configuration* decoded = nullptr,
                                              bool* rebuilt = nullptr);

} // namespace fuzz
