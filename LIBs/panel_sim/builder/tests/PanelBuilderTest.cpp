#include <panel_builder/PanelBuilder.h>

#include <config_quorvel/Crc8.h>

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>

using namespace panel_sim;

namespace {

std::uint16_t wordAt(const PanelMemory& m, std::uint32_t address)
{
    const std::size_t i = address - PanelMemory::configStart;
    return static_cast<std::uint16_t>(m.config[i] | m.config[i + 1] << 8);
}

} // namespace

TEST(PanelBuilder, EncodesTextsInTheDisplayCodePage)
{
    EXPECT_EQ(encodeLcdText(u"\u0411a\u0449", 5), (std::vector<std::uint8_t>{0xA0, 'a', 0xE6, ' ', ' '}));
    // Cyrillic look-alikes and other characters without a code become '.'.
    EXPECT_EQ(encodeLcdText(u"\u0410\u0441{\u20AC", 4), (std::vector<std::uint8_t>{'.', '.', '.', '.'}));
    EXPECT_EQ(encodeLcdText(u"abcdef", 3), (std::vector<std::uint8_t>{'a', 'b', 'c'}));
}

TEST(PanelBuilder, PacksRecordsWithAValidCheckByte)
{
    ArchiveRecord r;
    r.dateTime = packDateTime(2021, 3, 15, 9, 5, 7);
    r.emergency = true;
    r.address = 5;
    r.section = 3;
    r.eventClass = 2;
    r.code = 0x12;
    const auto bytes = encodeRecord(r);
    EXPECT_EQ(r.dateTime, 0x2CDE9147u);
    EXPECT_EQ(bytes[4], 0x85);
    EXPECT_EQ(bytes[5], 0x1A);
    EXPECT_EQ(bytes[6], 0x12);
    EXPECT_EQ(config_quorvel::crc8(bytes.data(), 8), 0);
    r.validCheck = false;
    EXPECT_NE(config_quorvel::crc8(encodeRecord(r).data(), 8), 0);
}

TEST(PanelBuilder, PlacesNameRecordsOutsideTheReservedAreas)
{
    const PanelMemory m = buildPanel(demoPanel());
    std::map<std::uint32_t, std::uint32_t> records; // start -> end
    for (int s = 1; s <= 24; ++s)
        for (int n = 0; n < 128; ++n) {
            const std::uint16_t w = wordAt(m, 0xD400 + 256u * (s - 1) + 2u * n);
            if (w == 0xFFFF)
                continue;
            const bool dubler = (m.settings[16 + s] & 0x08) != 0;
            records[w] = w + (n != 0 ? 122u : dubler ? 40u : 20u);
        }
    EXPECT_EQ(records.size(), 3u + 7u); // named sections and devices of the demo
    std::uint32_t free = 0x4500;        // after the 64 command slots
    for (const auto& [start, end] : records) {
        EXPECT_GE(start, free);
        free = end;
    }
    EXPECT_LE(free, 0xD400u);           // before the reference blocks
    // Untitled tables are marked, the others hold their title.
    EXPECT_EQ(m.config[0xEC00 + 0xF6 - 0x3E00], 0xFF);
    EXPECT_NE(m.config[0xEC00 + 256 + 0xF6 - 0x3E00], 0xFF);
    EXPECT_EQ(m.config[0xEC00 + 15 * 256 + 0xF6 - 0x3E00], 0xFF);
    EXPECT_EQ(m.settings[15], 0x0D); // central panel, 24 V, individual reset
}

TEST(PanelBuilder, RefusesWhatThePanelCannotHold)
{
    PanelDescription d;
    d.sections.push_back(SectionPanel());
    EXPECT_THROW(buildPanel(d), std::invalid_argument); // sections need a central panel
    d.settings.pultType = true;
    d.sections[0].number = 25;
    EXPECT_THROW(buildPanel(d), std::invalid_argument);

    PanelDescription crowded;
    crowded.settings.pultType = true;
    for (int s = 1; s <= 3; ++s) {
        SectionPanel section;
        section.number = s;
        for (int n = 1; n <= 127; ++n)
            section.devices.push_back({n, NameSet()});
        crowded.sections.push_back(section);
    }
    EXPECT_THROW(buildPanel(crowded), std::length_error);

    PanelDescription commands;
    commands.commands.resize(65);
    EXPECT_THROW(buildPanel(commands), std::invalid_argument);
}
