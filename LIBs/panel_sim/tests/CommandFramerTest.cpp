#include <panel_sim/CommandFramer.h>

#include <gtest/gtest.h>

using panel_sim::CommandFramer;
using Bytes = std::vector<std::uint8_t>;

namespace {

// Feeds (byte, ninth bit) pairs and collects the commands.
std::vector<CommandFramer::Frame> feedAll(CommandFramer& framer,
                                          const std::vector<std::pair<std::uint8_t, bool>>& chars)
{
    std::vector<CommandFramer::Frame> frames;
    for (const auto& [byte, ninth] : chars)
        if (auto f = framer.feed(byte, ninth))
            frames.push_back(*f);
    return frames;
}

} // namespace

TEST(CommandFramerTest, NinthBitStartsACommand)
{
    CommandFramer framer(CommandFramer::Mode::NinthBit);
    // Zeros (the wake-up block), then ReadInfo; a code byte without the ninth
    // bit is data, not a start.
    const auto frames = feedAll(framer, {{0, false}, {0, false}, {0xF1, false},
                                         {0xF1, true}, {0x7E, false}, {0xC4, false}});
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].bytes, (Bytes{0xF1, 0x7E, 0xC4}));
    EXPECT_EQ(frames[0].skippedBefore, 3u);
}

TEST(CommandFramerTest, NewStartAbandonsAPartialCommand)
{
    CommandFramer framer(CommandFramer::Mode::NinthBit);
    const auto frames = feedAll(framer, {{0xF2, true}, {1, false}, {0xF5, true}, {1, false},
                                         {0x87, false}, {0x20, false}, {0x33, true}, {0, false}});
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].bytes, (Bytes{0xF5, 1, 0x87, 0x20}));
    EXPECT_EQ(frames[0].skippedBefore, 2u);
    // An unknown code with the ninth bit is skipped with what follows it.
    EXPECT_FALSE(framer.feed(0x20, false));
}

TEST(CommandFramerTest, CodeByteModeFramesByCodeAndLength)
{
    CommandFramer framer(CommandFramer::Mode::CodeByte);
    std::vector<CommandFramer::Frame> frames;
    // A command code inside a command's data is data.
    for (std::uint8_t b : Bytes{0, 0, 0, 0xF2, 0x00, 0xF1, 0x00, 0x11, 0x22, 0x55, 0xF1, 0x7E, 0xC4})
        if (auto f = framer.feed(b))
            frames.push_back(*f);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].bytes, (Bytes{0xF2, 0x00, 0xF1, 0x00, 0x11, 0x22}));
    EXPECT_EQ(frames[0].skippedBefore, 3u);
    EXPECT_EQ(frames[1].bytes, (Bytes{0xF1, 0x7E, 0xC4}));
    EXPECT_EQ(frames[1].skippedBefore, 1u);
}
