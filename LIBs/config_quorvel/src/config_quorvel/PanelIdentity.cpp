#include <config_quorvel/PanelIdentity.h>

#include <config_quorvel/ConfiguratorError.h>
#include <config_quorvel/MemoryMap.h>

#include <boot_loader/BootloaderInfo.h>
#include <boot_loader/MemoryImage.h>

#include <string>

namespace config_quorvel {

namespace mm = memory_map;

namespace {

// What the loader must report to be one of our panels.
const std::string panelType = "Q-QRV";
constexpr std::uint8_t loaderVersion = 0x12;

} // namespace

void checkLoaderIdentity(const boot_loader::BootloaderInfo& info)
{
    if (info.loaderVersion != loaderVersion)
        throw ConfiguratorError(ConfiguratorError::IncompatibleLoader);
    if (info.deviceType != panelType || info.pageSize != mm::pageSize)
        throw ConfiguratorError(ConfiguratorError::UnsupportedDevice);
}

bool settingsIdentified(const boot_loader::MemoryImage& settings)
{
    return settings.byteAt(mm::settingsStart + mm::identification) == mm::identificationValue;
}

} // namespace config_quorvel
