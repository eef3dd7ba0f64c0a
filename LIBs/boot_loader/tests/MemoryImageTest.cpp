#include "LoaderLine.h"

#include <boot_loader/BootloaderException.h>
#include <boot_loader/MemoryImage.h>
#include <boot_loader/ProgressHandler.h>

#include <gtest/gtest.h>

using boot_loader::BootloaderException;
using boot_loader::BufferedMemoryPage;
using boot_loader::MemoryImage;
using panel_sim::CommandKind;
using panel_sim::Fault;
using Bytes = std::vector<std::uint8_t>;

namespace {

struct RecordingHandler : boot_loader::ProgressHandler {
    std::vector<std::uint32_t> pages;
    void pageRead(const BufferedMemoryPage& page) override { pages.push_back(page.working.address); }
    void pageWritten(const BufferedMemoryPage&) override { ADD_FAILURE() << "nothing is written"; }
};

// A configuration image whose bytes tell their address.
MemoryImage filledConfigImage()
{
    MemoryImage image(0, 0x3E00, 256, 190);
    for (auto& page : image.pages)
        for (std::size_t i = 0; i < page.working.data.size(); ++i)
            page.working.data[i] = static_cast<std::uint8_t>(((page.working.address >> 8) + i) & 0xFF);
    return image;
}

void fillPattern(std::vector<std::uint8_t>& bytes, std::uint8_t seed)
{
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>((i * 7 + seed) & 0xFF);
}

} // namespace

TEST(MemoryImageTest, CoversItsRangeAndStartsErased)
{
    const MemoryImage image(0, 0x3E00, 256, 190);
    ASSERT_EQ(image.pages.size(), 190u);
    EXPECT_EQ(image.pages.back().working.address, 0xFB00u);
    EXPECT_EQ(image.pages.back().device.data, Bytes(256, 0xFF));
    EXPECT_EQ(image.byteAt(0x3DFF), 0);
    EXPECT_EQ(image.byteAt(0xFC00), 0);
    EXPECT_EQ(image.byteAt(0x3E00), 0xFF);
    EXPECT_EQ(image.byteAt(0xFBFF), 0xFF);
    // Far below the start the unsigned difference wraps past the end.
    EXPECT_EQ(image.byteAt(0), 0);
}

TEST(MemoryImageTest, WordsAndRangesAcrossPageBoundaries)
{
    const MemoryImage image = filledConfigImage();
    // 0x3EFF is the last byte of the first page, 0x3F00 the first of the second.
    EXPECT_EQ(image.byteAt(0x3EFF), (0x3E + 0xFF) & 0xFF);
    EXPECT_EQ(image.wordAt(0x3EFF), ((0x3F) << 8) | ((0x3E + 0xFF) & 0xFF));
    // The last address: its byte low, nothing high.
    EXPECT_EQ(image.wordAt(0xFBFF), (0xFB + 0xFF) & 0xFF);
    EXPECT_EQ(image.wordAt(0x3DFF), 0x3E << 8);
    EXPECT_EQ(image.bytes(0x3DFE, 4), (Bytes{0, 0, 0x3E, 0x3F}));
    EXPECT_TRUE(image.bytes(0x3E00, 0).empty());
}

// Every bit index 0-31 (and 32-63, which wrap), at the last and first byte of
// every page of an image: bits 8-31 of a byte read 0 even for 0xFF.
TEST(MemoryImageTest, BitsAtEveryIndexAndAcrossPageEnds)
{
    MemoryImage image(0, 0x3E00, 256, 3);
    const std::pair<std::uint32_t, std::uint8_t> bytes[] = {
        {0x3E00, 0x01}, {0x3EFF, 0xFF}, {0x3F00, 0xA5}, {0x3FFF, 0x80}, {0x4000, 0x7E}, {0x40FF, 0xFF}};
    for (const auto& [address, value] : bytes)
        image.pages[(address - 0x3E00) / 256].working.data[(address - 0x3E00) % 256] = value;

    for (const auto& [address, value] : bytes) {
        for (int bit = 0; bit < 32; ++bit) {
            const int expected = bit < 8 ? (value >> bit) & 1 : 0;
            EXPECT_EQ(image.bitAt(address, bit), expected) << std::hex << address << " bit " << std::dec << bit;
            EXPECT_EQ(image.bitAt(address, bit + 32), expected) << std::hex << address << " bit " << std::dec << bit + 32;
            EXPECT_EQ(image.pages[(address - 0x3E00) / 256].working.bitAt(address, bit), expected);
        }
        EXPECT_EQ(image.byteAt(address), value);
    }
    EXPECT_EQ(image.wordAt(0x3FFF), 0x7E80);
    EXPECT_EQ(image.bytes(0x3EFE, 4), (Bytes{0xFF, 0xFF, 0xA5, 0xFF}));
    for (int bit = 0; bit < 32; ++bit) {
        EXPECT_EQ(image.bitAt(0x3DFF, bit), 0);
        EXPECT_EQ(image.bitAt(0x4100, bit), 0);
    }
}

TEST(MemoryImageTest, EmptyImagesReadZero)
{
    // A loader that reported page size 0 leaves empty pages behind; the
    // lookup must not divide by their size.
    MemoryImage zeroSized(0, 0x3E00, 0, 3);
    EXPECT_EQ(zeroSized.byteAt(0x3E00), 0);
    EXPECT_EQ(zeroSized.wordAt(0x3E00), 0);
    EXPECT_EQ(zeroSized.bitAt(0x3E00, 0), 0);
    EXPECT_EQ(zeroSized.bytes(0x3E00, 2), (Bytes{0, 0}));

    MemoryImage noPages(0, 0x3E00, 256, 0);
    EXPECT_TRUE(noPages.pages.empty());
    EXPECT_EQ(noPages.byteAt(0x3E00), 0);

    LoaderLine line;
    line.panel.loader().setPageSize(0);
    MemoryImage image(1, 0, 256, 1);
    image.read(line.protocol, nullptr);
    EXPECT_TRUE(image.pages[0].working.data.empty());
    EXPECT_EQ(image.byteAt(0), 0);
}

TEST(MemoryImageTest, ReadsEveryPageAndReportsEach)
{
    LoaderLine line;
    fillPattern(line.panel.memory().config, 3);
    MemoryImage image(0, 0x3E00, 256, 190);
    RecordingHandler handler;
    image.read(line.protocol, &handler);

    ASSERT_EQ(handler.pages.size(), 190u);
    for (std::size_t i = 0; i < handler.pages.size(); ++i)
        EXPECT_EQ(handler.pages[i], 0x3E00u + 256u * i);
    EXPECT_EQ(image.bytes(0x3E00, 0xBE00), line.panel.memory().config);
    EXPECT_EQ(image.pages[7].device.data, image.pages[7].working.data);
    // One information exchange, then one per page.
    EXPECT_EQ(line.panel.log().size(), 191u);
}

TEST(MemoryImageTest, NullHandlerReadsAllPages)
{
    LoaderLine line;
    fillPattern(line.panel.memory().archive, 9);
    MemoryImage image(1, 0x400000, 256, 256);
    image.read(line.protocol, nullptr);
    EXPECT_EQ(image.bytes(0x400000, 0x10000), line.panel.memory().archive);
}

TEST(MemoryImageTest, FailingFifthPageStopsTheRead)
{
    LoaderLine line;
    fillPattern(line.panel.memory().config, 1);
    line.panel.addFault({Fault::answerStatus(0xA3), CommandKind::ReadPage, 5, -1});
    MemoryImage image(0, 0x3E00, 256, 10);
    RecordingHandler handler;

    EXPECT_EQ(loaderErrorCode([&] { image.read(line.protocol, &handler); }),
              BootloaderException::LoaderInternal);
    EXPECT_EQ(handler.pages.size(), 4u);
    const Bytes& config = line.panel.memory().config;
    for (std::size_t p = 0; p < 10; ++p) {
        const Bytes expected = p < 4 ? Bytes(config.begin() + 256 * p, config.begin() + 256 * (p + 1))
                                     : Bytes(256, 0xFF);
        EXPECT_EQ(image.pages[p].working.data, expected) << p;
        EXPECT_EQ(image.pages[p].device.data, expected) << p;
    }
}
