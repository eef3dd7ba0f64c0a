#pragma once

namespace boot_loader {
class BootloaderInfo;
class MemoryImage;
} // namespace boot_loader

namespace config_quorvel {

// What makes memory one of our panels', checked by a read of the line and
// by the opening of a dump alike.

// Throws ConfiguratorError IncompatibleLoader or UnsupportedDevice when the
// loader's information block is not that of a compatible panel.
void checkLoaderIdentity(const boot_loader::BootloaderInfo& info);

// Whether the settings page carries the identification byte of a firmware
// this program can decode.
bool settingsIdentified(const boot_loader::MemoryImage& settings);

} // namespace config_quorvel
