#include <boot_loader/BootloaderInfo.h>

namespace boot_loader {

namespace {
constexpr std::uint8_t lastLongNameVersion = 17;
constexpr std::size_t nameOffset = 8;
constexpr std::size_t longNameLength = 8;
constexpr std::size_t shortNameLength = 6;
constexpr std::size_t extraByteOffset = 15;
} // namespace

BootloaderInfo::BootloaderInfo(const std::vector<std::uint8_t>& block)
{
    if (block.size() != blockSize)
        return;
    this->block = block;
    loaderVersion = block[0];
    extraBytes = {block[1], block[2], block[3]};
    pageSize = static_cast<std::uint16_t>(block[4] | (block[5] << 8));
    extraWord = static_cast<std::uint16_t>(block[6] | (block[7] << 8));

    const bool longName = loaderVersion <= lastLongNameVersion;
    const std::size_t maxLength = longName ? longNameLength : shortNameLength;
    for (std::size_t i = 0; i < maxLength && block[nameOffset + i] != 0; ++i)
        deviceType.push_back(static_cast<char>(block[nameOffset + i]));
    if (!longName)
        extraByte = block[extraByteOffset];
}

} // namespace boot_loader
