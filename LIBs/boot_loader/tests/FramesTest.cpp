#include <boot_loader/Answer.h>
#include <boot_loader/BootloaderException.h>
#include <boot_loader/BootloaderInfo.h>
#include <boot_loader/Command.h>

#include <rs485/Byte9Stream.h>
#include <rs485/Crc16.h>
#include <rs485/RS485Connection.h>
#include <rs485/testing/FakeSerialPlatform.h>

#include <gtest/gtest.h>

#include <string>

using boot_loader::Answer;
using boot_loader::BootloaderException;
using boot_loader::BootloaderInfo;
using boot_loader::Command;
using Chars = std::vector<std::uint16_t>;
using Bytes = std::vector<std::uint8_t>;

TEST(CommandTest, FramesAreByteForByte)
{
    EXPECT_EQ(Command::ReadInfo().chars, (Chars{0x1F1, 0x07E, 0x0C4}));
    EXPECT_EQ(Command::SetSpeed(1).chars, (Chars{0x1F5, 0x001, 0x087, 0x020}));
    EXPECT_EQ(Command::SetSpeed(35).chars, (Chars{0x1F5, 0x023, 0x007, 0x039}));
    // Only the low eight bits of the divisor travel.
    EXPECT_EQ(Command::SetSpeed(0x123).chars, Command::SetSpeed(35).chars);
    EXPECT_EQ(Command::ReadPage(0, 0x3E00).chars, (Chars{0x1F2, 0x000, 0x03E, 0x000, 0x022, 0x0FC}));
    EXPECT_EQ(Command::RangeChecksum(1, 0, 0x100).chars,
              (Chars{0x1F6, 0x000, 0x000, 0x080, 0x000, 0x001, 0x0D4, 0x0A5}));
}

TEST(CommandTest, AddressFieldCarriesSpaceInBitSevenAndDropsBit23)
{
    const Chars archive = Command::ReadPage(1, 0x400000).chars;
    EXPECT_EQ(Chars(archive.begin() + 1, archive.begin() + 4), (Chars{0x000, 0x000, 0x0C0}));
    const Chars lost = Command::ReadPage(0, 0x800000).chars;
    EXPECT_EQ(Chars(lost.begin() + 1, lost.begin() + 4), (Chars{0x000, 0x000, 0x000}));
    // A selector other than 1 counts as space 0.
    EXPECT_EQ(Command::ReadPage(2, 0x123456).chars, Command::ReadPage(0, 0x123456).chars);
    // Length keeps its low sixteen bits.
    EXPECT_EQ(Command::RangeChecksum(0, 0x3E00, 0x1BE00).chars, Command::RangeChecksum(0, 0x3E00, 0xBE00).chars);
    for (const Chars& c : {archive, lost, Command::RangeChecksum(0, 0x3E00, 0xBE00).chars})
        EXPECT_TRUE(rs485::crcIsValid(c));
}

namespace {

// Answers fed straight into the port, without a panel.
struct AnswerLine {
    rs485::testing::FakeSerialPlatform platform;
    rs485::RS485Connection connection{platform};
    rs485::Byte9Stream stream{connection};
    AnswerLine() { connection.open("COM1", 19200); }

    Answer receive(std::size_t dataLength, const Bytes& onLine)
    {
        platform.deliver(onLine, 1);
        Answer answer(dataLength);
        stream >> answer;
        return answer;
    }
};

Bytes withCrc(Bytes bytes)
{
    const std::uint16_t crc = rs485::crc16Bytes(bytes.data(), bytes.size());
    bytes.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(crc >> 8));
    return bytes;
}

int checkCode(const Answer& answer)
{
    try {
        answer.check();
    } catch (const BootloaderException& e) {
        return e.code();
    }
    return -100;
}

} // namespace

TEST(AnswerTest, SuccessWithoutData)
{
    AnswerLine line;
    const Answer answer = line.receive(0, {0xA0, 0xBF, 0x38});
    EXPECT_NO_THROW(answer.check());
    EXPECT_TRUE(answer.dataBytes().empty());
    EXPECT_EQ(answer.value32(), 0u);
}

TEST(AnswerTest, SuccessWithDataAndValue)
{
    AnswerLine line;
    const Answer answer = line.receive(4, withCrc({0xA0, 0x78, 0x56, 0x34, 0x12}));
    EXPECT_NO_THROW(answer.check());
    EXPECT_EQ(answer.dataBytes(), (Bytes{0x78, 0x56, 0x34, 0x12}));
    EXPECT_EQ(answer.value32(), 0x12345678u);

    // value32 is only defined for four data bytes.
    const Answer longer = line.receive(5, withCrc({0xA0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(longer.value32(), 0u);
    EXPECT_EQ(longer.dataBytes().size(), 5u);
}

TEST(AnswerTest, StatusBytesMapToCodes)
{
    AnswerLine line;
    const std::pair<std::uint8_t, int> cases[] = {
        {0xA1, BootloaderException::CommandChecksum},
        {0xA2, BootloaderException::CommandAddress},
        {0xA3, BootloaderException::LoaderInternal},
        {0x55, BootloaderException::AnswerFormat},
        {0xA4, BootloaderException::AnswerFormat},
    };
    for (const auto& [status, code] : cases) {
        // A refusal is three bytes whatever the command asked for.
        const Answer answer = line.receive(16, withCrc({status}));
        EXPECT_EQ(answer.chars.size(), 3u) << int(status);
        EXPECT_EQ(checkCode(answer), code) << int(status);
        EXPECT_EQ(line.platform.pendingInput(), 0u);
    }
}

TEST(AnswerTest, DamagedOrMissingAnswers)
{
    AnswerLine line;
    Bytes corrupted = withCrc({0xA0, 0x10, 0x20, 0x30, 0x40});
    corrupted[1] ^= 0x01;
    EXPECT_EQ(checkCode(line.receive(4, corrupted)), BootloaderException::AnswerChecksum);

    // Only the status byte arrives: the partial answer is dropped.
    const Answer statusOnly = line.receive(16, {0xA0});
    EXPECT_TRUE(statusOnly.chars.empty());
    EXPECT_EQ(checkCode(statusOnly), BootloaderException::NoDevice);

    // An answer cut short in the data is as good as none.
    EXPECT_EQ(checkCode(line.receive(16, {0xA0, 1, 2, 3})), BootloaderException::NoDevice);
    EXPECT_EQ(checkCode(line.receive(0, {0xA0, 0xBF})), BootloaderException::NoDevice);

    Answer tooShort(0);
    tooShort.chars = {0xA0, 0xBF};
    EXPECT_EQ(checkCode(tooShort), BootloaderException::AnswerChecksum);
    EXPECT_TRUE(tooShort.dataBytes().empty());
}

TEST(BootloaderExceptionTest, MessagesByCode)
{
    EXPECT_STREQ(BootloaderException(0).what(), "Нет связи с преобразователем USB-RS485");
    EXPECT_STREQ(BootloaderException(1).what(), "Нет связи с прибором");
    EXPECT_STREQ(BootloaderException(2).what(), "Неправильная контрольная сумма в ответе");
    EXPECT_STREQ(BootloaderException(3).what(), "Неправильная контрольная сумма в команде");
    EXPECT_STREQ(BootloaderException(4).what(), "Неправильный адрес в команде");
    EXPECT_STREQ(BootloaderException(5).what(), "Внутренняя ошибка загрузчика");
    EXPECT_STREQ(BootloaderException(6).what(), "Неправильный формат ответа");
    EXPECT_STREQ(BootloaderException(7).what(), "Чтение прервано");
    EXPECT_STREQ(BootloaderException(8).what(), "Неизвестная ошибка");
    EXPECT_STREQ(BootloaderException(-1).what(), "Неизвестная ошибка");
    EXPECT_EQ(BootloaderException(BootloaderException::LoaderInternal).code(), 5);
}

TEST(BootloaderInfoTest, LayoutsOfVersions17And18)
{
    Bytes block = {0x12, 0xAA, 0xBB, 0xCC, 0x00, 0x01, 0x34, 0x12,
                   'Q', '-', 'Q', 'R', 'V', 0, 0, 7};
    const BootloaderInfo v18(block);
    EXPECT_EQ(v18.loaderVersion, 18);
    EXPECT_EQ(v18.extraBytes, (std::array<std::uint8_t, 3>{0xAA, 0xBB, 0xCC}));
    EXPECT_EQ(v18.pageSize, 256);
    EXPECT_EQ(v18.extraWord, 0x1234);
    EXPECT_EQ(v18.deviceType, "Q-QRV");
    EXPECT_EQ(v18.extraByte, 7);

    block[0] = 17;
    const BootloaderInfo v17(block);
    EXPECT_EQ(v17.deviceType, "Q-QRV");
    EXPECT_EQ(v17.extraByte, 0);

    // Without a terminating zero, version 17 takes eight characters and
    // version 18 six; offset 14 is never part of the later name.
    const Bytes full = {17, 0, 0, 0, 0, 1, 0, 0, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H'};
    EXPECT_EQ(BootloaderInfo(full).deviceType, "ABCDEFGH");
    Bytes later = full;
    later[0] = 18;
    EXPECT_EQ(BootloaderInfo(later).deviceType, "ABCDEF");
    EXPECT_EQ(BootloaderInfo(later).extraByte, 'H');
}

TEST(BootloaderInfoTest, BlockOfWrongSizeGivesDefault)
{
    for (const Bytes& block : {Bytes{}, Bytes(15, 0x12), Bytes(17, 0x12)}) {
        const BootloaderInfo info(block);
        EXPECT_EQ(info.loaderVersion, 0);
        EXPECT_EQ(info.pageSize, 0);
        EXPECT_TRUE(info.deviceType.empty());
        EXPECT_EQ(info.extraByte, 0);
    }
}
