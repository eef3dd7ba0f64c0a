#pragma once

// The three memory images of a panel filled straight from its memory, so
// the decoders can be tried without a line.

#include <config_quorvel/ConfigDecoder.h>
#include <config_quorvel/Configuration.h>

#include <boot_loader/MemoryImage.h>
#include <panel_builder/PanelBuilder.h>

#include <vector>

namespace config_quorvel::testing {

inline void fill(boot_loader::MemoryImage& image, const std::vector<std::uint8_t>& bytes)
{
    std::size_t offset = 0;
    for (auto& page : image.pages) {
        const auto size = page.working.data.size();
        page.working.data.assign(bytes.begin() + offset, bytes.begin() + offset + size);
        offset += size;
    }
}

struct PanelImages {
    explicit PanelImages(const panel_sim::PanelMemory& memory)
    {
        fill(settings, memory.settings);
        fill(config, memory.config);
        fill(archive, memory.archive);
    }

    ConfigDecoder decoder() const { return ConfigDecoder(settings, config, archive); }

    // The decoding steps of a read, in the read's order.
    std::vector<Event> decodeInto(Configuration& configuration) const
    {
        return decoder().decodePanel(configuration);
    }

    boot_loader::MemoryImage settings{1, 0x000000, 256, 1};
    boot_loader::MemoryImage config{0, 0x003E00, 256, 190};
    boot_loader::MemoryImage archive{1, 0x400000, 256, 256};
};

} // namespace config_quorvel::testing
