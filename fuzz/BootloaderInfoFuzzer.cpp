// The loader's information block from byte vectors of any length and content.

#include "FuzzCheck.h"

#include <boot_loader/BootloaderInfo.h>

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::uint8_t> block(data, data + size);
    const boot_loader::BootloaderInfo info(block);

    if (block.size() != boot_loader::BootloaderInfo::blockSize) {
        FUZZ_CHECK(info.loaderVersion == 0 && info.pageSize == 0 && info.extraWord == 0);
        FUZZ_CHECK(info.extraByte == 0 && info.deviceType.empty());
        for (std::uint8_t b : info.extraBytes)
            FUZZ_CHECK(b == 0);
        return 0;
    }

    FUZZ_CHECK(info.loaderVersion == block[0]);
    FUZZ_CHECK(info.extraBytes[0] == block[1] && info.extraBytes[1] == block[2]
               && info.extraBytes[2] == block[3]);
    FUZZ_CHECK(info.pageSize == (block[4] | (block[5] << 8)));
    FUZZ_CHECK(info.extraWord == (block[6] | (block[7] << 8)));

    // The name ends at the first zero byte or at the width of its field.
    const bool longName = block[0] <= 17;
    const std::size_t width = longName ? 8 : 6;
    std::size_t length = 0;
    while (length < width && block[8 + length] != 0)
        ++length;
    FUZZ_CHECK(info.deviceType.size() == length);
    for (std::size_t i = 0; i < length; ++i)
        FUZZ_CHECK(static_cast<std::uint8_t>(info.deviceType[i]) == block[8 + i]);
    FUZZ_CHECK(info.extraByte == (longName ? 0 : block[15]));
    return 0;
}
