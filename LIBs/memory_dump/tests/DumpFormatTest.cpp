#include <memory_dump/DumpError.h>
#include <memory_dump/DumpFormat.h>

#include <gtest/gtest.h>

#include <zlib.h>

#include <limits>
#include <string>

using memory_dump::DumpError;
using memory_dump::DumpRegion;
using memory_dump::MemoryDump;
using Fault = DumpError::Fault;

namespace {

constexpr std::size_t headerSize = 18;
// Information block, flags, read time, two checksums.
constexpr std::size_t portNameOffset = headerSize + 16 + 1 + 8 + 4 + 4;

DumpRegion region(std::uint8_t space, std::uint32_t start, std::size_t size, std::uint8_t fill)
{
    return {space, start, std::vector<std::uint8_t>(size, fill)};
}

MemoryDump sampleDump()
{
    MemoryDump dump;
    dump.infoBlock = {0x12, 0, 0, 0, 0x00, 0x01, 0, 0, 'Q', '-', 'Q', 'R', 'V', 0, 0x55, 7};
    dump.settings = region(1, 0x000000, 256, 0xB2);
    dump.configuration = region(0, 0x003E00, 48640, 0x3C);
    dump.archive = region(1, 0x400000, 65536, 0xFF);
    dump.settingsChecksum = 0x11223344;
    dump.configChecksum = 0xA0B0C0D0;
    dump.turbo = true;
    dump.portName = "COM7";
    dump.readTimeMs = 1733650000123;
    dump.programVersion = "1.1.6.1107";
    return dump;
}

std::uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t(b[at + 3]) << 24);
}

void putLe32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Sets the header's length and CRC-32 for the content as it stands, so a
// test reaches the checks behind the checksum.
void resealContent(std::vector<std::uint8_t>& file)
{
    const std::size_t size = file.size() - headerSize;
    putLe32(file, 10, static_cast<std::uint32_t>(size));
    putLe32(file, 14, static_cast<std::uint32_t>(crc32(0, file.data() + headerSize, static_cast<uInt>(size))));
}

// The fault and the message a parse of the bytes ends with.
std::pair<Fault, std::string> rejection(const std::vector<std::uint8_t>& file)
{
    try {
        memory_dump::parseDump(file);
    } catch (const DumpError& e) {
        return {e.fault(), e.what()};
    }
    ADD_FAILURE() << "the dump was accepted";
    return {Fault::FileError, ""};
}

} // namespace

TEST(DumpFormatTest, FieldsStandAtTheirDocumentedOffsetsLittleEndian)
{
    const std::vector<std::uint8_t> file = memory_dump::serializeDump(sampleDump());
    const std::vector<std::uint8_t> magic = {'Q', 'R', 'V', 'D', 'U', 'M', 'P', 0x1A};
    EXPECT_EQ(std::vector<std::uint8_t>(file.begin(), file.begin() + 8), magic);
    EXPECT_EQ(file[8], 1);
    EXPECT_EQ(file[9], 0);
    const std::size_t content = 16 + 1 + 8 + 4 + 4 + (2 + 4) + (2 + 10) + 3 * 9 + 256 + 48640 + 65536;
    EXPECT_EQ(le32(file, 10), content);
    ASSERT_EQ(file.size(), headerSize + content);
    EXPECT_EQ(le32(file, 14), crc32(0, file.data() + headerSize, static_cast<uInt>(content)));

    EXPECT_EQ(file[18], 0x12);
    EXPECT_EQ(file[32], 0x55); // byte 14 of the block, which no field of the loader's info reads
    EXPECT_EQ(file[34], 0x01); // turbo
    EXPECT_EQ(le32(file, 35) | (std::uint64_t(le32(file, 39)) << 32), 1733650000123ull);
    EXPECT_EQ(le32(file, 43), 0x11223344u);
    EXPECT_EQ(le32(file, 47), 0xA0B0C0D0u);
    ASSERT_EQ(portNameOffset, 51u);
    EXPECT_EQ(std::string(file.begin() + 51, file.begin() + 57), std::string("\x04\x00" "COM7", 6));
    const std::size_t settings = 57 + 2 + 10;
    EXPECT_EQ(file[settings], 1);
    EXPECT_EQ(le32(file, settings + 1), 0x000000u);
    EXPECT_EQ(le32(file, settings + 5), 256u);
    EXPECT_EQ(file[settings + 9], 0xB2);
    const std::size_t config = settings + 9 + 256;
    EXPECT_EQ(file[config], 0);
    EXPECT_EQ(le32(file, config + 1), 0x3E00u);
    EXPECT_EQ(le32(file, config + 5), 48640u);
    const std::size_t archive = config + 9 + 48640;
    EXPECT_EQ(file[archive], 1);
    EXPECT_EQ(le32(file, archive + 1), 0x400000u);
    EXPECT_EQ(le32(file, archive + 5), 65536u);
}

TEST(DumpFormatTest, ParsingWhatWasWrittenGivesTheSameDump)
{
    const MemoryDump dump = sampleDump();
    EXPECT_EQ(memory_dump::parseDump(memory_dump::serializeDump(dump)), dump);

    MemoryDump plain = dump;
    plain.turbo = false;
    plain.portName.clear();
    plain.programVersion = "версия";
    plain.readTimeMs = 631152000000; // 1990-01-01 00:00 UTC, the earliest a read may have
    EXPECT_EQ(memory_dump::parseDump(memory_dump::serializeDump(plain)), plain);
    plain.readTimeMs = 4133980799999; // the last moment of 2100
    EXPECT_EQ(memory_dump::parseDump(memory_dump::serializeDump(plain)), plain);
}

// A read time no read can have had (a clock set to 1970, a field of noise)
// makes the dump a damaged one, as a wrong checksum does.
TEST(DumpFormatTest, ReadTimesOutside1990To2100AreRejected)
{
    for (const std::int64_t readTimeMs : {std::int64_t(631151999999), std::int64_t(4133980800000), std::int64_t(0),
                                          std::numeric_limits<std::int64_t>::max(), std::numeric_limits<std::int64_t>::min()}) {
        MemoryDump dump = sampleDump();
        dump.readTimeMs = readTimeMs;
        const auto [fault, message] = rejection(memory_dump::serializeDump(dump));
        EXPECT_EQ(fault, Fault::ReadTime) << readTimeMs;
        EXPECT_EQ(message, "Дамп повреждён: время чтения " + std::to_string(readTimeMs)
                               + " мс от 1970 года — не между 1990 и 2100 годом");
    }
}

TEST(DumpFormatTest, FilesShorterThanTheHeaderOrNotDumpsAreRejected)
{
    EXPECT_EQ(rejection({}), std::make_pair(Fault::ShortHeader,
                                            std::string("Файл дампа короче своего заголовка: 0 байт из 18")));
    std::vector<std::uint8_t> file = memory_dump::serializeDump(sampleDump());
    file.resize(17);
    EXPECT_EQ(rejection(file), std::make_pair(Fault::ShortHeader,
                                              std::string("Файл дампа короче своего заголовка: 17 байт из 18")));

    file = memory_dump::serializeDump(sampleDump());
    file[7] = 0x00;
    EXPECT_EQ(rejection(file), std::make_pair(Fault::WrongMagic,
                                              std::string("Файл не является дампом памяти прибора: неверная сигнатура")));
    const std::string text = "Дата и время\n";
    EXPECT_EQ(rejection(std::vector<std::uint8_t>(text.begin(), text.end()) ).first, Fault::WrongMagic);
}

TEST(DumpFormatTest, AnUnknownVersionIsNamed)
{
    std::vector<std::uint8_t> file = memory_dump::serializeDump(sampleDump());
    file[8] = 0x02;
    EXPECT_EQ(rejection(file), std::make_pair(Fault::UnknownVersion,
                                              std::string("Неизвестная версия формата дампа: 2 (программа читает версию 1)")));
    file[8] = 0x00;
    file[9] = 0x01;
    EXPECT_EQ(rejection(file).second, "Неизвестная версия формата дампа: 256 (программа читает версию 1)");
}

TEST(DumpFormatTest, ContentShorterOrLongerThanDeclaredIsRejected)
{
    std::vector<std::uint8_t> file = memory_dump::serializeDump(sampleDump());
    const std::size_t content = file.size() - headerSize;
    file.pop_back();
    EXPECT_EQ(rejection(file), std::make_pair(Fault::Truncated,
                                              "Файл дампа обрезан: содержимое " + std::to_string(content)
                                                  + " байт, в файле " + std::to_string(content - 1)));
    file = memory_dump::serializeDump(sampleDump());
    file.push_back(0);
    file.push_back(0);
    EXPECT_EQ(rejection(file), std::make_pair(Fault::TrailingBytes,
                                              std::string("После содержимого дампа лишние байты: 2")));
}

TEST(DumpFormatTest, AnyChangedByteOfTheContentFailsTheChecksum)
{
    const std::vector<std::uint8_t> good = memory_dump::serializeDump(sampleDump());
    for (const std::size_t at : {headerSize, portNameOffset + 3, good.size() - 1}) {
        std::vector<std::uint8_t> file = good;
        file[at] ^= 0x01;
        const auto [fault, message] = rejection(file);
        EXPECT_EQ(fault, Fault::ChecksumMismatch) << at;
        EXPECT_EQ(message.rfind("Контрольная сумма дампа не совпадает: записана 0x", 0), 0u) << message;
    }
    std::vector<std::uint8_t> file = good;
    putLe32(file, 14, 0x12345678);
    EXPECT_EQ(rejection(file).second.rfind("Контрольная сумма дампа не совпадает: записана 0x12345678, вычислена 0x", 0), 0u);
}

TEST(DumpFormatTest, RegionsMustMatchTheMemoryMap)
{
    MemoryDump dump = sampleDump();
    dump.configuration.bytes.resize(48639);
    EXPECT_EQ(rejection(memory_dump::serializeDump(dump)),
              std::make_pair(Fault::RegionMismatch,
                             std::string("Область конфигурации в дампе не совпадает с картой памяти прибора: "
                                         "пространство 0, адрес 0x003E00, 48639 байт вместо пространства 0, "
                                         "адреса 0x003E00, 48640 байт")));
    dump = sampleDump();
    dump.archive.bytes.resize(65536 * 2);
    EXPECT_EQ(rejection(memory_dump::serializeDump(dump)).first, Fault::RegionMismatch);
    dump = sampleDump();
    dump.settings.space = 0;
    EXPECT_EQ(rejection(memory_dump::serializeDump(dump)).second.rfind("Область настроек в дампе не совпадает с картой памяти прибора: пространство 0,", 0), 0u);
    dump = sampleDump();
    dump.archive.start = 0x400100;
    EXPECT_EQ(rejection(memory_dump::serializeDump(dump)).first, Fault::RegionMismatch);
}

TEST(DumpFormatTest, ContentEndingInsideAFieldOrRunningPastTheLastRegionIsRejected)
{
    std::vector<std::uint8_t> file = memory_dump::serializeDump(sampleDump());
    file.resize(portNameOffset + 1);
    resealContent(file);
    EXPECT_EQ(rejection(file), std::make_pair(Fault::Truncated,
                                              std::string("Содержимое дампа обрывается в поле «имя порта»")));
    file = memory_dump::serializeDump(sampleDump());
    file.resize(file.size() - 100);
    resealContent(file);
    EXPECT_EQ(rejection(file).second, "Содержимое дампа обрывается в поле «байты области»");

    file = memory_dump::serializeDump(sampleDump());
    file.push_back(0xFF);
    resealContent(file);
    EXPECT_EQ(rejection(file), std::make_pair(Fault::TrailingBytes,
                                              std::string("После последней области дампа лишние байты: 1")));
}
