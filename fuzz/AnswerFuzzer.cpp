// Answer reading and checking from whatever arrives on the line.
//
// Input: byte 0 picks the command whose answer is awaited (modulo 4:
// ReadInfo, ReadPage, SetSpeed, RangeChecksum); byte 1 the timing (low
// nibble: delay before the first byte in steps of 128 ms, high nibble: gap
// between bytes in ms); the rest arrives on the line.

#include "FuzzCheck.h"

#include <boot_loader/Answer.h>
#include <boot_loader/BootloaderException.h>
#include <rs485/Byte9Stream.h>
#include <rs485/Crc16.h>
#include <rs485/RS485Connection.h>
#include <rs485/testing/FakeSerialPlatform.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

struct Awaited {
    std::size_t dataLength;
    int timeoutMs; // the read time-out the protocol sets for the command
};

constexpr Awaited awaited[] = {{16, 200}, {256, 1480}, {0, 200}, {4, 750}};

// What a correct reader makes of bytes that all arrive at once.
std::vector<std::uint8_t> expectedChars(const std::vector<std::uint8_t>& line, std::size_t size)
{
    std::size_t length = size;
    if (size > 3 && !line.empty() && line[0] != boot_loader::Answer::success)
        length = 3;
    if (line.size() < length)
        return {};
    return std::vector<std::uint8_t>(line.begin(), line.begin() + static_cast<std::ptrdiff_t>(length));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const Awaited kind = awaited[data[0] % 4];
    const std::int64_t delayMs = (data[1] & 0x0F) * 128;
    const std::int64_t gapMs = data[1] >> 4;
    const std::vector<std::uint8_t> line(data + 2, data + size);

    rs485::testing::FakeSerialPlatform platform;
    rs485::RS485Connection connection(platform);
    FUZZ_CHECK(connection.open("COM1", 19200));
    connection.setReadTimeout(kind.timeoutMs);
    rs485::Byte9Stream stream(connection);
    platform.deliver(line, delayMs, gapMs);

    boot_loader::Answer answer(kind.dataLength);
    const std::size_t prepared = answer.chars.size();
    try {
        stream >> answer;
    } catch (...) {
        // A time-out must end as an empty answer, and the port never fails here.
        FUZZ_CHECK(false);
    }

    // Whatever was read is the start of what arrived, as plain bytes, in one
    // of the two sizes an answer can have.
    const std::vector<std::uint16_t>& chars = answer.chars;
    FUZZ_CHECK(chars.empty() || chars.size() == prepared || chars.size() == 3);
    FUZZ_CHECK(chars.size() <= line.size());
    for (std::size_t i = 0; i < chars.size(); ++i)
        FUZZ_CHECK(chars[i] == line[i]);
    if (delayMs == 0 && gapMs == 0) {
        const std::vector<std::uint8_t> expected = expectedChars(line, prepared);
        FUZZ_CHECK(chars.size() == expected.size());
    }

    int code = -1;
    try {
        answer.check();
    } catch (const boot_loader::BootloaderException& e) {
        code = e.code();
    } catch (...) {
        FUZZ_CHECK(false);
    }

    const bool intact = chars.size() >= 3 && rs485::crcIsValid(chars);
    if (code < 0) {
        FUZZ_CHECK(intact && chars.size() == prepared && chars[0] == boot_loader::Answer::success);
        const std::vector<std::uint8_t> payload = answer.dataBytes();
        FUZZ_CHECK(payload.size() == kind.dataLength);
        for (std::size_t i = 0; i < payload.size(); ++i)
            FUZZ_CHECK(payload[i] == chars[i + 1]);
        std::uint32_t value = 0;
        if (kind.dataLength == 4)
            value = chars[1] | (chars[2] << 8) | (chars[3] << 16) | (std::uint32_t(chars[4]) << 24);
        FUZZ_CHECK(answer.value32() == value);
    } else if (chars.empty()) {
        FUZZ_CHECK(code == boot_loader::BootloaderException::NoDevice);
    } else if (!intact) {
        FUZZ_CHECK(code == boot_loader::BootloaderException::AnswerChecksum);
    } else {
        switch (chars[0]) {
        case 0xA1: FUZZ_CHECK(code == boot_loader::BootloaderException::CommandChecksum); break;
        case 0xA2: FUZZ_CHECK(code == boot_loader::BootloaderException::CommandAddress); break;
        case 0xA3: FUZZ_CHECK(code == boot_loader::BootloaderException::LoaderInternal); break;
        default: FUZZ_CHECK(code == boot_loader::BootloaderException::AnswerFormat); break;
        }
    }
    return 0;
}
