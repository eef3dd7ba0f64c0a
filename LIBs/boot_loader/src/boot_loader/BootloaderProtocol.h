#pragma once

#include <boot_loader/Answer.h>
#include <boot_loader/BootloaderInfo.h>

#include <cstddef>
#include <cstdint>

namespace rs485 {
class Byte9Stream;
}

namespace boot_loader {

class Command;
class MemoryPage;

// The conversation with the panel's loader: one command and its answer per
// exchange, with the read time-out the command needs and up to three
// attempts. Every failure leaves as BootloaderException.
class BootloaderProtocol {
public:
    explicit BootloaderProtocol(rs485::Byte9Stream& stream);
    virtual ~BootloaderProtocol() = default;

    BootloaderProtocol(const BootloaderProtocol&) = delete;
    BootloaderProtocol& operator=(const BootloaderProtocol&) = delete;

    // The cached information block; asks the loader only the first time.
    const BootloaderInfo& info();
    // Always asks the loader afresh.
    const BootloaderInfo& readInfo();
    // Replaces the page's data with the loader's page at its space and address.
    void readPage(MemoryPage& page);
    void setSpeed(int divisor);
    std::uint32_t rangeChecksum(int space, std::uint32_t address, std::uint32_t length);

private:
    Answer exchange(const Command& command, std::size_t dataLength);
    void useTimeout(int milliseconds);

    rs485::Byte9Stream* stream;
    BootloaderInfo cachedInfo;
    bool infoValid = false;
    std::int32_t maxAttempts = 3;
    std::int32_t currentTimeoutMs;
};

} // namespace boot_loader
