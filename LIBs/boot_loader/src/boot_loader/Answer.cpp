#include <boot_loader/Answer.h>

#include <boot_loader/BootloaderException.h>
#include <rs485/Byte9Stream.h>
#include <rs485/Crc16.h>
#include <rs485/Exceptions.h>

namespace boot_loader {

namespace {
constexpr std::size_t frameOverhead = 3; // status byte and two checksum bytes
} // namespace

Answer::Answer(std::size_t dataLength)
{
    chars.assign(dataLength + frameOverhead, 0);
}

void Answer::check() const
{
    if (chars.empty())
        throw BootloaderException(BootloaderException::NoDevice);
    if (chars.size() < frameOverhead || !rs485::crcIsValid(chars))
        throw BootloaderException(BootloaderException::AnswerChecksum);
    switch (chars[0] & 0xFF) {
    case success:
        return;
    case badCommandChecksum:
        throw BootloaderException(BootloaderException::CommandChecksum);
    case badCommandAddress:
        throw BootloaderException(BootloaderException::CommandAddress);
    case internalError:
        throw BootloaderException(BootloaderException::LoaderInternal);
    default:
        throw BootloaderException(BootloaderException::AnswerFormat);
    }
}

std::vector<std::uint8_t> Answer::dataBytes() const
{
    std::vector<std::uint8_t> data;
    if (chars.size() < frameOverhead + 1)
        return data;
    data.reserve(chars.size() - frameOverhead);
    for (std::size_t i = 1; i + 2 < chars.size(); ++i)
        data.push_back(static_cast<std::uint8_t>(chars[i] & 0xFF));
    return data;
}

std::uint32_t Answer::value32() const
{
    if (chars.size() != frameOverhead + 4)
        return 0;
    std::uint32_t value = 0;
    for (int i = 4; i >= 1; --i)
        value = (value << 8) | (chars[static_cast<std::size_t>(i)] & 0xFFu);
    return value;
}

rs485::Byte9Stream& operator>>(rs485::Byte9Stream& stream, Answer& answer)
{
    const std::size_t size = answer.chars.size();
    try {
        if (size <= frameOverhead) {
            stream >> answer.chars;
            return stream;
        }
        std::uint8_t status = 0;
        stream >> status;
        // The length of the rest follows from the status: a refusal carries
        // no data whatever the command asked for.
        std::vector<std::uint8_t> rest(status == Answer::success ? size - 1 : 2);
        stream >> rest;
        answer.chars.resize(rest.size() + 1);
        answer.chars[0] = status;
        for (std::size_t i = 0; i < rest.size(); ++i)
            answer.chars[i + 1] = rest[i];
    } catch (const rs485::ReceiveTimeoutException&) {
        // A partial answer is never examined.
        answer.chars.clear();
    }
    return stream;
}

} // namespace boot_loader
