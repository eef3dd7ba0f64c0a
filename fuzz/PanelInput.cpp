#include "PanelInput.h"

#include "ByteReader.h"

#include <config_quorvel/ConfigDecoder.h>
#include <config_quorvel/Crc8.h>
#include <config_quorvel/MemoryMap.h>
#include <panel_builder/PanelBuilder.h>

#include <algorithm>

namespace fuzz {

namespace mm = config_quorvel::memory_map;
using panel_sim::PanelMemory;

namespace {

constexpr std::uint8_t fillFlag = 0x80;
constexpr std::uint8_t recordFlag = 0x40;
constexpr std::size_t recordSize = 8;
constexpr std::size_t recordSlots = PanelMemory::archiveSize / recordSize;

template <typename Memory>
auto& region(Memory& memory, int index)
{
    switch (index) {
    case 0: return memory.settings;
    case 1: return memory.config;
    default: return memory.archive;
    }
}

PanelMemory filled(std::uint8_t value)
{
    PanelMemory memory;
    for (int r = 0; r < 3; ++r)
        std::fill(region(memory, r).begin(), region(memory, r).end(), value);
    return memory;
}

void fillImage(boot_loader::MemoryImage& image, const std::vector<std::uint8_t>& bytes)
{
    std::size_t offset = 0;
    for (auto& page : image.pages) {
        const std::size_t size = page.working.data.size();
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(offset), size, page.working.data.begin());
        page.device.data = page.working.data;
        offset += size;
    }
}

} // namespace

const PanelMemory& baseMemory(Base base)
{
    static const PanelMemory erased = filled(0xFF);
    static const PanelMemory zeros = filled(0x00);
    static const PanelMemory demo = panel_sim::buildPanel(panel_sim::demoPanel());
    switch (base) {
    case Base::Erased: return erased;
    case Base::Zeros: return zeros;
    case Base::Demo: break;
    }
    return demo;
}

PanelMemory panelFromInput(const std::uint8_t* data, std::size_t size)
{
    ByteReader in(data, size);
    PanelMemory memory = baseMemory(static_cast<Base>(in.byte() % 3));
    while (!in.atEnd()) {
        const std::uint8_t op = in.byte();
        std::vector<std::uint8_t>& target = region(memory, (op & 3) % 3);
        if (op & fillFlag) {
            const std::size_t offset = in.word() % target.size();
            const std::size_t length = std::min<std::size_t>(in.word(), target.size() - offset);
            std::fill_n(target.begin() + static_cast<std::ptrdiff_t>(offset), length, in.byte());
        } else if (op & recordFlag) {
            const std::size_t at = (in.word() % recordSlots) * recordSize;
            std::vector<std::uint8_t> record = in.bytes(recordSize - 1);
            record.resize(recordSize - 1, 0);
            record.push_back(config_quorvel::crc8(record));
            std::copy(record.begin(), record.end(), memory.archive.begin() + static_cast<std::ptrdiff_t>(at));
        } else {
            const std::size_t offset = in.word() % target.size();
            const std::vector<std::uint8_t> bytes = in.bytes(in.byte());
            const std::size_t length = std::min(bytes.size(), target.size() - offset);
            std::copy_n(bytes.begin(), length, target.begin() + static_cast<std::ptrdiff_t>(offset));
        }
    }
    return memory;
}

std::vector<std::uint8_t> panelInput(Base base, const PanelMemory& memory)
{
    ByteWriter out;
    out.byte(static_cast<std::uint8_t>(base));
    const PanelMemory& from = baseMemory(base);
    for (int r = 0; r < 3; ++r) {
        const std::vector<std::uint8_t>& was = region(from, r);
        const std::vector<std::uint8_t>& wanted = region(memory, r);
        std::size_t i = 0;
        while (i < wanted.size()) {
            if (wanted[i] == was[i]) {
                ++i;
                continue;
            }
            // One copy patch per run of changes, short equal stretches included.
            std::size_t end = i;
            std::size_t equal = 0;
            while (end < wanted.size() && end - i < 255 && equal < 8) {
                equal = wanted[end] == was[end] ? equal + 1 : 0;
                ++end;
            }
            end -= equal;
            out.byte(static_cast<std::uint8_t>(r));
            out.word(static_cast<std::uint16_t>(i));
            out.byte(static_cast<std::uint8_t>(end - i));
            out.bytes(std::vector<std::uint8_t>(wanted.begin() + static_cast<std::ptrdiff_t>(i),
                                                wanted.begin() + static_cast<std::ptrdiff_t>(end)));
            i = end;
        }
    }
    return out.data();
}

PanelImages::PanelImages(const PanelMemory& memory)
    : settings(mm::settingsSpace, mm::settingsStart, mm::pageSize, mm::settingsPages),
      config(mm::configSpace, mm::configStart, mm::pageSize, mm::configPages),
      archive(mm::archiveSpace, mm::archiveStart, mm::pageSize, mm::archivePages)
{
    fillImage(settings, memory.settings);
    fillImage(config, memory.config);
    fillImage(archive, memory.archive);
}

std::vector<config_quorvel::Event> decodeRead(const PanelImages& images,
                                              config_quorvel::Configuration& configuration,
                                              config_quorvel::Configuration* decoded, bool* rebuilt)
{
    const config_quorvel::ConfigDecoder decoder(images.settings, images.config, images.archive);
    decoder.decodeConfiguration(configuration);
    if (decoded)
        *decoded = configuration;
    const bool changed = configuration.rebuildEventTables();
    if (rebuilt)
        *rebuilt = changed;
    return decoder.decodeArchive(configuration);
}

} // namespace fuzz
