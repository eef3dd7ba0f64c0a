#include <boot_loader/BootloaderProtocol.h>

#include <boot_loader/BootloaderException.h>
#include <boot_loader/Command.h>
#include <boot_loader/MemoryPage.h>
#include <rs485/Byte9Stream.h>
#include <rs485/Exceptions.h>
#include <rs485/RS485Connection.h>

namespace boot_loader {

namespace {

// Zeros carry no command start, so a loader that has lost track of the
// framing (or is still waking up) skips them and is ready for the next
// command's first character.
const std::vector<std::uint8_t> wakeUpBlock(261, 0);

constexpr int infoTimeoutMs = 200;
constexpr int speedTimeoutMs = 200;
constexpr int rangeChecksumTimeoutMs = 750;
constexpr int pageTimeoutBaseMs = 200;
constexpr int pageTimeoutPerByteMs = 5;

} // namespace

BootloaderProtocol::BootloaderProtocol(rs485::Byte9Stream& stream)
    : stream(&stream), currentTimeoutMs(stream.port().readTimeout())
{
}

void BootloaderProtocol::useTimeout(int milliseconds)
{
    // Re-set only on change: a run of page reads costs one settings call.
    if (milliseconds == currentTimeoutMs)
        return;
    stream->port().setReadTimeout(milliseconds);
    currentTimeoutMs = milliseconds;
}

Answer BootloaderProtocol::exchange(const Command& command, std::size_t dataLength)
{
    bool sendWakeUp = false;
    for (std::int32_t attempt = 1;; ++attempt) {
        Answer answer(dataLength);
        try {
            if (sendWakeUp)
                *stream << wakeUpBlock;
            *stream << command.chars;
            *stream >> answer;
        } catch (const rs485::DisconnectException&) {
            // The converter is gone; repeating cannot help.
            throw BootloaderException(BootloaderException::NoConverter);
        } catch (const rs485::ReceiveTimeoutException&) {
            answer.chars.clear();
        }
        try {
            answer.check();
            return answer;
        } catch (const BootloaderException& e) {
            if (attempt >= maxAttempts)
                throw BootloaderException(e.code());
            // Only silence on the first try suggests a loader that needs
            // waking; any other failure is simply repeated.
            sendWakeUp = attempt == 1 && e.code() == BootloaderException::NoDevice;
        }
    }
}

const BootloaderInfo& BootloaderProtocol::info()
{
    if (infoValid)
        return cachedInfo;
    useTimeout(infoTimeoutMs);
    const Answer answer = exchange(Command::ReadInfo(), BootloaderInfo::blockSize);
    cachedInfo = BootloaderInfo(answer.dataBytes());
    infoValid = true;
    return cachedInfo;
}

const BootloaderInfo& BootloaderProtocol::readInfo()
{
    infoValid = false;
    return info();
}

void BootloaderProtocol::readPage(MemoryPage& page)
{
    if (!infoValid)
        info();
    const int pageSize = cachedInfo.pageSize;
    useTimeout(pageSize * pageTimeoutPerByteMs + pageTimeoutBaseMs);
    const Answer answer = exchange(Command::ReadPage(page.space, page.address),
                                   static_cast<std::size_t>(pageSize));
    page.data = answer.dataBytes();
}

void BootloaderProtocol::setSpeed(int divisor)
{
    useTimeout(speedTimeoutMs);
    exchange(Command::SetSpeed(divisor), 0);
}

std::uint32_t BootloaderProtocol::rangeChecksum(int space, std::uint32_t address,
                                                std::uint32_t length)
{
    useTimeout(rangeChecksumTimeoutMs);
    return exchange(Command::RangeChecksum(space, address, length), 4).value32();
}

} // namespace boot_loader
