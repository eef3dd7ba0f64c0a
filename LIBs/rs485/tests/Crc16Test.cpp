#include <rs485/Crc16.h>

#include <gtest/gtest.h>

#include <vector>

using Chars = std::vector<std::uint16_t>;

TEST(Crc16Test, KnownFrames)
{
    EXPECT_EQ(rs485::crc16(Chars{0x1F1}), 0xC47E);
    EXPECT_EQ(rs485::crc16(Chars{0x1F5, 0x001}), 0x2087);
    EXPECT_EQ(rs485::crc16(Chars{}), 0xFFFF);
    const std::uint8_t ascii[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(rs485::crc16Bytes(ascii, sizeof ascii), 0x4B37); // the CRC-16/MODBUS check value
}

TEST(Crc16Test, NinthBitDoesNotEnter)
{
    EXPECT_EQ(rs485::crc16(Chars{0x0F1, 0x17E}), rs485::crc16(Chars{0x1F1, 0x07E}));
}

TEST(Crc16Test, SenderStoresLowByteFirstWithNinthBitZero)
{
    Chars frame = {0x1F1, 0x1FF, 0x1FF};
    rs485::appendCrcInPlace(frame);
    EXPECT_EQ(frame, (Chars{0x1F1, 0x07E, 0x0C4}));

    Chars bare = {0x123, 0x145};
    rs485::appendCrcInPlace(bare);
    EXPECT_EQ(bare, (Chars{0xFF, 0xFF}));
}

TEST(Crc16Test, ReceiverChecksTheWholeFrameToZero)
{
    EXPECT_TRUE(rs485::crcIsValid(Chars{0xA0, 0xBF, 0x38}));
    EXPECT_TRUE(rs485::crcIsValid(Chars{0x1F1, 0x07E, 0x0C4}));
    EXPECT_FALSE(rs485::crcIsValid(Chars{0xA1, 0xBF, 0x38}));
    EXPECT_FALSE(rs485::crcIsValid(Chars{0xA0, 0x38, 0xBF}));
}
